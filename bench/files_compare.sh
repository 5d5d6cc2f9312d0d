#!/bin/bash
# Prints search-files beside grep -rl and replace-files beside sed -i, on the same folder of
# pages in the same run: medians of RUNS runs, wall and user+sys time of each whole process.
# Checks afterwards that the replaced pages equal sed's byte for byte and that the pages
# without a match kept their modification time. The pages are made in a temporary folder.
# Build first:  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPAGEMASON_TESTS=OFF \
#                   && cmake --build build-bench -j2 --target pagemason-bench
# Environment: BUILD (build folder), RUNS (default 7), COUNT (pages, default 2000), BYTES
# (size of each, default 10240), ABSENT (a word no page holds).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${BUILD:-$HERE/../build-bench}
RUNS=${RUNS:-7}
COUNT=${COUNT:-2000}
BYTES=${BYTES:-10240}
ABSENT=${ABSENT:-zqxwv}
BENCH="$BUILD/bin/pagemason-bench"
PY=/usr/bin/python3
[ -x "$BENCH" ] || { echo "missing: $BENCH (build it first)" >&2; exit 1; }
for tool in grep sed "$PY"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
"$BENCH" gen-files "$TMP/pristine" "$COUNT" "$BYTES"
SIZE=$(du -sb "$TMP/pristine" | cut -f1)

# "wall user+sys" in ms of one command; its output goes to a pipe, as grep needs to write
# somewhere that is not /dev/null to do all its work.
measure() {
    "$PY" - "$TMP/out" "$@" <<'PY'
import resource, subprocess, sys, time
out = open(sys.argv[1], "wb")
t0 = time.perf_counter()
p = subprocess.Popen(sys.argv[2:], stdout=subprocess.PIPE)
out.write(p.communicate()[0])
wall = time.perf_counter() - t0
out.close()
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.1f %.1f" % (wall * 1000, (r.ru_utime + r.ru_stime) * 1000))
PY
}
fresh() { # folder: a new copy of the pages, written back before timing starts
    rm -rf "$1"
    cp -a "$TMP/pristine" "$1"
    sync
}

: > "$TMP/results"
for run in $(seq 1 "$RUNS"); do
    read -r gw gc < <(measure grep -rl "$ABSENT" "$TMP/pristine")
    read -r sw sc < <(measure "$BENCH" search-files "$TMP/pristine" "$ABSENT")
    grep -q "files matched: 0 of $COUNT" "$TMP/out" || { cat "$TMP/out" >&2; exit 1; }
    fresh "$TMP/sed"
    fresh "$TMP/pm"
    # Which goes first alternates, so that neither always finds the disk busier.
    if (( run % 2 )); then
        read -r dw dc < <(measure sed -i 's/river/stream/g' "$TMP"/sed/page*.html)
        read -r rw rc < <(measure "$BENCH" replace-files "$TMP/pm" river stream)
    else
        read -r rw rc < <(measure "$BENCH" replace-files "$TMP/pm" river stream)
        read -r dw dc < <(measure sed -i 's/river/stream/g' "$TMP"/sed/page*.html)
    fi
    echo "$gw $gc $sw $sc $dw $dc $rw $rc" >> "$TMP/results"
    echo "run $run: grep -rl $gw ms, search-files $sw ms; sed -i $dw ms, replace-files $rw ms"
done

# The last run's pages: equal to sed's, and those without the word untouched.
if diff -rq "$TMP/sed" "$TMP/pm" > "$TMP/diff"; then
    SAME="byte-identical to sed -i"
elif diff -rq --strip-trailing-cr "$TMP/sed" "$TMP/pm" > /dev/null; then
    SAME="equal to sed -i but for CR LF line ends ($(wc -l < "$TMP/diff") pages)"
else
    SAME="DIFFERENT from sed -i ($(wc -l < "$TMP/diff") pages)"
fi
UNTOUCHED=0
KEPT=0
for f in $(grep -L river "$TMP"/pristine/page*.html); do
    UNTOUCHED=$((UNTOUCHED + 1))
    [ "$(stat -c %Y.%y "$f")" = "$(stat -c %Y.%y "$TMP/pm/$(basename "$f")")" ] && KEPT=$((KEPT + 1))
done

echo "Pages: $COUNT of about $BYTES bytes ($SIZE bytes); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
"$PY" - "$TMP/results" <<'PY'
import statistics, sys
rows = [list(map(float, l.split())) for l in open(sys.argv[1]) if l.strip()]
col = lambda i: statistics.median(r[i] for r in rows)
gw, gc, sw, sc, dw, dc, rw, rc = (col(i) for i in range(8))
print(f"medians of {len(rows)} runs, ms (wall / user+sys):")
print(f"  search-files absent word {sw:.0f} / {sc:.0f}   grep -rl {gw:.0f} / {gc:.0f}"
      f"   -> {sw / gw:.2f}x wall (target <= 2)")
print(f"  replace-files            {rw:.0f} / {rc:.0f}   sed -i   {dw:.0f} / {dc:.0f}"
      f"   -> {rw / dw:.2f}x wall (target <= 1.2)")
PY
echo "  replaced pages: $SAME"
echo "  pages without the word: $KEPT of $UNTOUCHED kept their modification time"
