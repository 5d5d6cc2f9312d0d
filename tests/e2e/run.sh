#!/usr/bin/env bash
# Runs one end-to-end case (a file of tests/e2e/cases/) against the real program under a
# virtual X server of its own: xvfb-run starts one, this script runs again inside it, sets the
# case up (lib.sh), runs it and takes everything down. Exit status 0 when the case passed.
#   PAGEMASON_APP_DIR  the folder of the built program and its shipped files (required)
#   E2E_KEEP=1         keep the case's temporary folder for a look afterwards
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
case_file=${1:?usage: run.sh CASE.sh}
case_file=$(cd "$(dirname "$case_file")" && pwd)/$(basename "$case_file")

if [ -z "${E2E_UNDER_XVFB:-}" ]; then
    for tool in xvfb-run xdotool xauth; do
        if ! command -v "$tool" >/dev/null; then
            echo "FAIL: $tool is missing; scripts/deps.sh installs it" >&2
            exit 1
        fi
    done
    # Never the user's own display: every case gets a screen of its own, of a known size.
    unset DISPLAY WAYLAND_DISPLAY
    # xvfb-run -a takes the first display number without a lock file, which another starting
    # or ending X server may still hold: a case that finds no server tries a new one.
    for attempt in 1 2 3; do
        status=0
        env E2E_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 ${E2E_SCREEN:-1280x1024}x24" \
            bash "${BASH_SOURCE[0]}" "$case_file" || status=$?
        [ "$status" -eq 75 ] || exit "$status"
        echo "(no X server on the chosen display, attempt $attempt; trying again)" >&2
        sleep 1
    done
    exit 1
fi

# Inside the X server: it must answer before anything starts (see above).
xdotool getdisplaygeometry >/dev/null 2>&1 || exit 75

# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_setup "$(basename "$case_file" .sh)"
trap e2e_teardown EXIT
# shellcheck disable=SC1090
source "$case_file"
e2e_passed
