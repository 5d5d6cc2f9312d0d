#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, and runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build-test" -DCMAKE_BUILD_TYPE=Debug -DPAGEMASON_SANITIZE=ON \
      -DPAGEMASON_TESTS=ON -DPAGEMASON_BENCH=OFF >/dev/null
cmake --build "$root/build-test" -j"$(nproc)"
cd "$root/build-test"
ctest --output-on-failure -j"$(nproc)"
