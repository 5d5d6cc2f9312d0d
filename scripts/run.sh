#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts Pagemason on its shipped files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release \
      -DPAGEMASON_TESTS=OFF -DPAGEMASON_BENCH=ON >/dev/null
cmake --build "$root/build-release" -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Pagemason needs a graphical display, and none was found (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
    echo "Run this command from a desktop session, or under a virtual display: xvfb-run -a $0" >&2
    exit 2
fi
exec "$root/build-release/bin/pagemason" "$@"
