#!/bin/bash
# Prints Pagemason's FTP upload rates beside curl's in active mode (curl -P -), against one local
# pyftpdlib server (tests/net/ftpserver.py) in the same run: one 100 MB file, and 200 small files
# over one login. Medians of RUNS runs; the files are made in a temporary folder and removed.
# Build first:  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPAGEMASON_TESTS=OFF \
#                   && cmake --build build-bench -j2 --target pagemason-bench
# Environment: BUILD (build folder), RUNS (default 5), BIG_MB (default 100), SMALL (count,
# default 200), SMALL_BYTES (size of each, default 8192).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${BUILD:-$HERE/../build-bench}
RUNS=${RUNS:-5}
BIG_MB=${BIG_MB:-100}
SMALL=${SMALL:-200}
SMALL_BYTES=${SMALL_BYTES:-8192}
BENCH="$BUILD/bin/pagemason-bench"
PY=/usr/bin/python3
USER_NAME=pagemason
PASSWORD=secret
for tool in curl "$PY"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$BENCH" ] || { echo "missing: $BENCH (build it first)" >&2; exit 1; }

TMP=$(mktemp -d)
SERVER_PID=
cleanup() {
    [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null || true
    rm -rf "$TMP"
}
trap cleanup EXIT
mkdir -p "$TMP/root/pm" "$TMP/root/curl" "$TMP/small"
head -c $((BIG_MB * 1024 * 1024)) /dev/urandom > "$TMP/big.bin"
for i in $(seq 1 "$SMALL"); do
    head -c "$SMALL_BYTES" /dev/urandom > "$TMP/small/page$i.html"
done
SMALL_FILES=("$TMP"/small/page*.html)
SMALL_GLOB="{$(IFS=,; echo "${SMALL_FILES[*]}")}"

"$PY" "$HERE/../tests/net/ftpserver.py" "$TMP/root" --user "$USER_NAME" --password "$PASSWORD" \
    > "$TMP/port" 2> "$TMP/server.log" &
SERVER_PID=$!
for _ in $(seq 1 100); do
    [ -s "$TMP/port" ] && break
    sleep 0.05
done
PORT=$(head -1 "$TMP/port")
URL="ftp://127.0.0.1:$PORT"

now() { date +%s%N; }
# Wall time of a command in seconds.
wall() {
    local t0 t1
    t0=$(now)
    "$@" > "$TMP/out" 2>&1 || { cat "$TMP/out" >&2; exit 1; }
    t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", (b - a) / 1e9 }'
}
field() { # name: a value from the bench's last output line
    tr ' ' '\n' < "$TMP/out" | grep -A1 -x "$1" | tail -1
}

BIG_BYTES=$(stat -c %s "$TMP/big.bin")
: > "$TMP/results"
for run in $(seq 1 "$RUNS"); do
    c_big=$(wall curl -s -S -P - --user "$USER_NAME:$PASSWORD" -T "$TMP/big.bin" "$URL/curl/big.bin")
    cmp -s "$TMP/big.bin" "$TMP/root/curl/big.bin" || { echo "curl's copy differs" >&2; exit 1; }
    p_big=$(wall "$BENCH" upload 127.0.0.1 "$PORT" "$USER_NAME" "$PASSWORD" "$TMP/big.bin" --folder pm)
    cmp -s "$TMP/big.bin" "$TMP/root/pm/big.bin" || { echo "Pagemason's copy differs" >&2; exit 1; }
    p_big_rate=$(field bytes_per_s)
    p_late=$(field timer_max_late_ms)
    c_small=$(wall curl -s -S -P - --user "$USER_NAME:$PASSWORD" -T "$SMALL_GLOB" "$URL/curl/")
    p_small=$(wall "$BENCH" upload 127.0.0.1 "$PORT" "$USER_NAME" "$PASSWORD" "${SMALL_FILES[@]}" --folder pm)
    p_small_rate=$(field files_per_s)
    for f in "${SMALL_FILES[@]}"; do
        cmp -s "$f" "$TMP/root/pm/$(basename "$f")" || { echo "Pagemason's $f differs" >&2; exit 1; }
    done
    echo "$c_big $p_big $p_big_rate $p_late $c_small $p_small $p_small_rate" >> "$TMP/results"
    printf 'run %d: 100MB curl %.3fs pagemason %.3fs (store %s B/s, timer late %s ms); %d files curl %.3fs pagemason %.3fs (store %s files/s)\n' \
        "$run" "$c_big" "$p_big" "$p_big_rate" "$p_late" "$SMALL" "$c_small" "$p_small" "$p_small_rate"
done

"$PY" - "$TMP/results" "$BIG_BYTES" "$SMALL" <<'PY'
import statistics, sys
rows = [list(map(float, l.split())) for l in open(sys.argv[1]) if l.strip()]
size, count = float(sys.argv[2]), float(sys.argv[3])
col = lambda i: statistics.median(r[i] for r in rows)
c_big, p_big, p_rate, late, c_small, p_small, p_frate = (col(i) for i in range(7))
print(f"medians of {len(rows)} runs (wall time of each whole process, login included):")
print(f"  one {size/1048576:.0f} MB file: curl {size/c_big/1e6:.1f} MB/s, pagemason {size/p_big/1e6:.1f} MB/s"
      f" -> {c_big/p_big:.2f}x curl (store alone {p_rate/1e6:.1f} MB/s)")
print(f"  {count:.0f} small files: curl {count/c_small:.0f} files/s, pagemason {count/p_small:.0f} files/s"
      f" -> {c_small/p_small:.2f}x curl (stores alone {p_frate:.0f} files/s)")
print(f"  50 ms timer during the big store: latest tick {max(r[3] for r in rows):.1f} ms late at worst, median of runs {late:.1f} ms")
PY
