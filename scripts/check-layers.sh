#!/usr/bin/env bash
# Checks that the areas form floors: a source file includes headers only from its own area and
# from areas added before it in the top-level CMakeLists.txt, and the CMake targets form no
# cycle. Usage: check-layers.sh SOURCE_DIR [GRAPHVIZ_DOT_FILE]; without a graph file it
# configures the tree in a temporary folder to draw one.
set -euo pipefail
src=$(cd "$1" && pwd)
dot=${2:-}
cd "$src"
if [ -z "$dot" ]; then
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    cmake -S "$src" -B "$tmp" -DPAGEMASON_TESTS=ON -DPAGEMASON_BENCH=ON \
          --graphviz="$tmp/targets.dot" >/dev/null
    dot=$tmp/targets.dot
fi

# Areas in the order CMake adds them; a later one may use an earlier one, never the reverse.
mapfile -t areas < <(sed -n 's/^add_subdirectory(\([a-z/]*\))$/\1/p' CMakeLists.txt)
declare -A rank
for i in "${!areas[@]}"; do rank[${areas[$i]}]=$i; done

# The area of a path: the longest area folder it lies in.
area_of() {
    local path=$1 best=""
    for a in "${areas[@]}"; do
        if [[ $path == "$a/"* && ${#a} -gt ${#best} ]]; then best=$a; fi
    done
    printf '%s' "$best"
}

status=0
for a in "${areas[@]}"; do
    [ -d "$a" ] || continue
    while IFS= read -r file; do
        [ "$(area_of "$file")" = "$a" ] || continue
        while IFS= read -r header; do
            used=$(area_of "$header")
            [ -n "$used" ] || continue
            if (( ${rank[$used]} > ${rank[$a]} )); then
                echo "$file includes $header: $a may not use $used, which stands above it"
                status=1
            fi
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done < <(find "$a" -name '*.h' -o -name '*.cpp')
done

# Edges "a -> b" between the program's own targets; tsort reports any loop.
edges=$(sed -n 's/.*\/\/ *\(pm_[a-z_]*\|pagemason[a-z-]*\) *-> *\(pm_[a-z_]*\).*/\1 \2/p' "$dot")
if [ -z "$edges" ]; then
    echo "no target edges found in $dot"
    status=1
elif ! loops=$(printf '%s\n' "$edges" | tsort 2>&1 >/dev/null) || [ -n "$loops" ]; then
    echo "the targets link each other in a cycle:"
    printf '%s\n' "$loops"
    status=1
fi
exit $status
