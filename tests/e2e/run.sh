#!/usr/bin/env bash
# Runs one end-to-end case (a file of tests/e2e/cases/) against the real program under a
# virtual X server of its own: it starts one, runs again inside it, sets the
# case up (lib.sh), runs it and takes everything down. Exit status 0 when the case passed.
#   PAGEMASON_APP_DIR  the folder of the built program and its shipped files (required)
#   E2E_KEEP=1         keep the case's temporary folder for a look afterwards
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
case_file=${1:?usage: run.sh CASE.sh}
case_file=$(cd "$(dirname "$case_file")" && pwd)/$(basename "$case_file")

if [ -z "${E2E_UNDER_XVFB:-}" ]; then
    for tool in Xvfb xdotool; do
        if ! command -v "$tool" >/dev/null; then
            echo "FAIL: $tool is missing; scripts/deps.sh installs it" >&2
            exit 1
        fi
    done
    # Never the user's own display: every case gets a screen of its own, of a known size. The
    # server picks a free display number itself (-displayfd): cases that start at the same time
    # cannot end up on one server, as they could with xvfb-run -a.
    unset DISPLAY WAYLAND_DISPLAY
    fifo=$(mktemp -u /tmp/pagemason-e2e-display.XXXXXX)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1280x1024}x24" -nolisten tcp 3>"$fifo" \
        >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r -t 30 display_number <"$fifo" || display_number=
    rm -f "$fifo"
    if [ -z "$display_number" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        echo "FAIL: Xvfb did not start" >&2
        exit 1
    fi
    status=0
    env E2E_UNDER_XVFB=1 DISPLAY=":$display_number" bash "${BASH_SOURCE[0]}" "$case_file" \
        || status=$?
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    exit "$status"
fi

# Inside the X server: it must answer before anything starts.
xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "FAIL: no X server on $DISPLAY" >&2; exit 1; }

# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_setup "$(basename "$case_file" .sh)"
trap e2e_teardown EXIT
# shellcheck disable=SC1090
source "$case_file"
e2e_passed
