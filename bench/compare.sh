#!/bin/bash
# Prints Pagemason's load, search and keystroke figures beside vim's and grep's on a 50 MB,
# 1,000,000-line HTML page (generated in /tmp when absent; never commit it).
# Build first:  cmake -S /work/main -B /work/main/build-bench -DCMAKE_BUILD_TYPE=Release \
#                   -DPAGEMASON_TESTS=OFF && cmake --build /work/main/build-bench -j2
# Environment: BUILD (build folder), FILE (the page), RUNS (runs per figure, default 9),
# TEXT (an absent text to search for).
set -euo pipefail

BUILD=${BUILD:-/work/main/build-bench}
FILE=${FILE:-/tmp/pagemason-bench.html}
RUNS=${RUNS:-9}
TEXT=${TEXT:-zqxwv}
BENCH="$BUILD/bin/pagemason-bench"
MICRO="$BUILD/bin/pagemason-microbench"
for tool in hyperfine vim grep python3 /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$BENCH" ] || { echo "missing: $BENCH (build it first)" >&2; exit 1; }
[ -f "$FILE" ] || "$BENCH" gen-html "$FILE"

SIZE=$(stat -c %s "$FILE")
LINES=$(wc -l < "$FILE")
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# median wall time (ms) and mean user+sys time (ms) of a command, from hyperfine's runs.
# Output goes through a pipe: GNU grep stops at the first match when it writes to /dev/null.
timeit() { # name command
    hyperfine --style none --runs "$RUNS" --warmup 1 -i --output=pipe --export-json "$TMP/$1.json" "$2" >/dev/null
    python3 - "$TMP/$1.json" <<'PY'
import json, statistics, sys
r = json.load(open(sys.argv[1]))["results"][0]
cpu = [u + s for u, s in zip(r["user"], r["system"])] if "user" in r and isinstance(r["user"], list) else [r["user"] + r["system"]]
print("%.1f %.1f" % (statistics.median(r["times"]) * 1000, statistics.median(cpu) * 1000))
PY
}

# median peak resident memory (KiB) of a command over RUNS runs
peakrss() {
    for _ in $(seq "$RUNS"); do
        /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null </dev/null | tail -1
    done | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

ratio() { python3 -c "print('%.2f' % ($1 / $2))"; }

read -r LOAD_W LOAD_C < <(timeit load "$BENCH load '$FILE'")
read -r VIM_W VIM_C < <(timeit vim "vim -u NONE -es -c q '$FILE' </dev/null")
read -r FIND_W FIND_C < <(timeit find "$BENCH find '$FILE' '$TEXT'")
read -r GREP_W GREP_C < <(timeit grep "grep -ci '$TEXT' '$FILE'")
read -r FINDW_W FINDW_C < <(timeit findw "$BENCH find '$FILE' '$TEXT' --whole")
read -r GREPW_W GREPW_C < <(timeit grepw "grep -wci '$TEXT' '$FILE'")
read -r COLOUR_W COLOUR_C < <(timeit colour "$BENCH colour '$FILE'")
read -r GREPT_W GREPT_C < <(timeit grept "grep -c '<' '$FILE'")
COLOURPASS_W=$(python3 -c "print('%.1f' % ($COLOUR_W - $LOAD_W))")
COLOURPASS_C=$(python3 -c "print('%.1f' % ($COLOUR_C - $LOAD_C))")
RSS=$(peakrss "$BENCH" load "$FILE")
VIMRSS=$(peakrss vim -u NONE -es -c q "$FILE")

echo "Page: $FILE, $SIZE bytes, $LINES lines; $RUNS runs each: wall = median, cpu = mean user+sys; load average: $(cut -d' ' -f1-3 /proc/loadavg); LANG=${LANG:-unset}"
printf '%-36s %12s %12s %12s %12s %8s %8s %s\n' "figure" "ours wall" "ours cpu" "ref wall" "ref cpu" "wall x" "cpu x" "target"
printf '%-36s %12s %12s %12s %12s %8s %8s %s\n' "load + expandTabs vs vim (ms)" "$LOAD_W" "$LOAD_C" "$VIM_W" "$VIM_C" "$(ratio "$LOAD_W" "$VIM_W")" "$(ratio "$LOAD_C" "$VIM_C")" "<= 1.5"
printf '%-36s %12s %12s %12s %12s %8s %8s %s\n' "find vs grep -ci (ms)" "$FIND_W" "$FIND_C" "$GREP_W" "$GREP_C" "$(ratio "$FIND_W" "$GREP_W")" "$(ratio "$FIND_C" "$GREP_C")" "<= 3"
printf '%-36s %12s %12s %12s %12s %8s %8s %s\n' "find --whole vs grep -wci (ms)" "$FINDW_W" "$FINDW_C" "$GREPW_W" "$GREPW_C" "$(ratio "$FINDW_W" "$GREPW_W")" "$(ratio "$FINDW_C" "$GREPW_C")" "<= 1.5"
printf '%-36s %12s %12s %12s %12s %8s %8s %s\n' "colour - load vs grep -c '<' (ms)" "$COLOURPASS_W" "$COLOURPASS_C" "$GREPT_W" "$GREPT_C" "$(ratio "$COLOURPASS_W" "$GREPT_W")" "$(ratio "$COLOURPASS_C" "$GREPT_C")" "<= 10"
printf '%-36s %12s %12s %12s %12s %8s %8s %s\n' "load peak RSS vs file size (KiB)" "$RSS" "" "$((SIZE / 1024))" "" "$(ratio "$RSS" "$((SIZE / 1024))")" "" "<= 2 (vim: ${VIMRSS} KiB)"

if [ -x "$MICRO" ]; then
    echo
    echo "Keystroke costs on the same page (Google Benchmark; argument = caret line in % of the page):"
    PAGEMASON_BENCH_FILE="$FILE" "$MICRO" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
        --benchmark_filter='^BM_(TypeChar|UndoTypedChar|EnterAndUndo|TypeCharAndRecolourWindow)' 2>/dev/null \
        | grep -E "_median" || true
fi
