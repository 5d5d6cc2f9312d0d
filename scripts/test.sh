#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan and runs the whole test suite,
# then builds the release configuration the run command uses (with the tests and benchmarks) and
# runs the suite there too: the storage, search and colouring fast paths exist only in release.
# Last, every fuzz target runs briefly (FUZZ_SECONDS each, 20 by default; 0 skips them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/deps.sh"

echo "== sanitizer build"
cmake -S "$root" -B "$root/build-test" -DCMAKE_BUILD_TYPE=Debug -DPAGEMASON_SANITIZE=ON \
      -DPAGEMASON_TESTS=ON -DPAGEMASON_BENCH=OFF >/dev/null
cmake --build "$root/build-test" -j"$jobs"
(cd "$root/build-test" && ctest --output-on-failure -j"$jobs")

echo "== release build"
cmake -S "$root" -B "$root/build-release-test" -DCMAKE_BUILD_TYPE=Release \
      -DPAGEMASON_TESTS=ON -DPAGEMASON_BENCH=ON >/dev/null
cmake --build "$root/build-release-test" -j"$jobs"
(cd "$root/build-release-test" && ctest --output-on-failure -j"$jobs")

echo "== fuzz targets"
if [ "${FUZZ_SECONDS:-20}" -gt 0 ]; then
    JOBS=$jobs "$root/fuzz/run.sh" "${FUZZ_SECONDS:-20}"
fi
