#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/fuzz_*.cpp) with clang, libFuzzer and the sanitizers in a build
# folder of their own and runs each for SECONDS (default 25) on its seed corpus plus what earlier
# runs found. Every input that crashed or broke a property is copied to tests/data/fuzz/<name>/,
# where the normal test suite replays it; the script then exits with status 1.
#
#   fuzz/run.sh [SECONDS] [TARGET...]      e.g. fuzz/run.sh 600 fuzz_regdocument
#
# Environment: BUILD (build folder, default build-fuzz in the source tree), CXX (default
# clang++), JOBS (build jobs, default 2). Seeds: the files fuzz/<target>.seeds names (globs
# relative to the source tree), and tests/data/fuzz/<name>/. Needs Debian's clang-14 and
# libclang-rt-14-dev.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${1:-25}
shift || true
BUILD=${BUILD:-$ROOT/build-fuzz}
CXX=${CXX:-clang++}
JOBS=${JOBS:-2}

if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for src in "$ROOT"/fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$src" .cpp)")
    done
fi

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$CXX" \
        -DPAGEMASON_FUZZ=ON -DPAGEMASON_TESTS=OFF -DPAGEMASON_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$BUILD" -j"$JOBS" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ROOT/tests/lsan.supp:print_suppressions=0}

shopt -s nullglob globstar
found=0
summary=()
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    regressions="$ROOT/tests/data/fuzz/$name"
    seeds="$BUILD/seeds/$name"
    corpus="$BUILD/corpus/$name"
    artifacts="$BUILD/artifacts/$name"
    rm -rf "$seeds" "$artifacts"
    mkdir -p "$seeds" "$corpus" "$artifacts" "$regressions"
    if [ -f "$ROOT/fuzz/$target.seeds" ]; then
        while read -r pattern; do
            case "$pattern" in '' | '#'*) continue ;; esac
            for f in "$ROOT"/$pattern; do
                [ -f "$f" ] && cp "$f" "$seeds/$(echo "${f#"$ROOT"/}" | tr / _)"
            done
        done <"$ROOT/fuzz/$target.seeds"
    fi
    for f in "$regressions"/*; do
        cp "$f" "$seeds/"
    done

    log="$BUILD/$target.log"
    echo "== $target: ${SECONDS_EACH} s on $(ls "$seeds" | wc -l) seeds and $(ls "$corpus" | wc -l) found before"
    status=0
    "$BUILD/fuzz/$target" -max_total_time="$SECONDS_EACH" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    summary+=("$target: ${runs:-?} runs, ${rate:-?} exec/s, corpus $(ls "$corpus" | wc -l)")
    new=("$artifacts"/*)
    if [ "$status" -ne 0 ] || [ ${#new[@]} -gt 0 ]; then
        found=1
        grep -E "property broken|ERROR|SUMMARY" "$log" | head -5 || true
        for f in "${new[@]}"; do
            cp "$f" "$regressions/"
            echo "new regression file: tests/data/fuzz/$name/$(basename "$f")"
        done
        [ ${#new[@]} -gt 0 ] || echo "$target failed without an artifact: see $log"
    fi
done

printf '%s\n' "${summary[@]}"
exit "$found"
