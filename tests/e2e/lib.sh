# Helpers for end-to-end cases: sourced by run.sh inside its virtual X server. A case is a bash
# file that starts the program with e2e_start, drives it with keys, waits for conditions (never
# for fixed times) and checks files byte for byte. Every wait is bounded by E2E_TIMEOUT seconds.
#
# Inside a case:
#   $E2E_WORK          the case's temporary folder (removed afterwards unless E2E_KEEP=1)
#   $E2E_APP           a copy of the program folder: the program and its shipped files
#   $E2E_DATA          tests/data, the fixtures the other tests use too
#   $PAGEMASON_REGISTRY the case's own settings file; $HOME a fresh home folder
#   $PM_PID, $PM_WINDOW the running program and its main window, set by e2e_start

E2E_TIMEOUT=${E2E_TIMEOUT:-30}
E2E_DATA=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)
PM_PID=
PM_WINDOW=
E2E_CHECKS=0

e2e_log() { echo "[$(date +%T.%3N)] $*"; }

e2e_fail()
{
    echo "FAIL: $*" >&2
    e2e_show_state >&2
    exit 1
}

# What was on the screen and in the program's log when something went wrong.
e2e_show_state()
{
    echo "--- windows of the program:"
    if [ -n "$PM_PID" ]; then
        local w
        for w in $(xdotool search --onlyvisible --pid "$PM_PID" "" 2>/dev/null); do
            echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)' $(e2e_geometry "$w")"
        done
    fi
    echo "--- keyboard focus: $(xdotool getwindowfocus -f 2>/dev/null || echo none)"
    if [ -f "$E2E_WORK/program.log" ]; then
        echo "--- program output (last 40 lines):"
        tail -n 40 "$E2E_WORK/program.log"
    fi
}

e2e_setup()
{
    [ -n "${PAGEMASON_APP_DIR:-}" ] && [ -x "$PAGEMASON_APP_DIR/pagemason" ] \
        || { echo "FAIL: PAGEMASON_APP_DIR must name the folder of a built pagemason" >&2; exit 1; }
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/pagemason-e2e-$1.XXXXXX")
    E2E_APP=$E2E_WORK/app
    mkdir -p "$E2E_APP" "$E2E_WORK/home" "$E2E_WORK/run"
    chmod 700 "$E2E_WORK/run"
    # The program reads and writes its description files beside itself, so each case runs
    # a copy; executables are hard-linked where the file system allows.
    local f
    for f in "$PAGEMASON_APP_DIR"/*; do
        if [ -f "$f" ] && [ -x "$f" ]; then
            ln "$f" "$E2E_APP/" 2>/dev/null || cp "$f" "$E2E_APP/"
        else
            cp -r "$f" "$E2E_APP/"
        fi
    done
    export HOME=$E2E_WORK/home
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
    export XDG_CACHE_HOME=$HOME/.cache XDG_RUNTIME_DIR=$E2E_WORK/run
    export PAGEMASON_REGISTRY=$E2E_WORK/Pagemason.reg
    export QT_QPA_PLATFORM=xcb
    # Mesa's GLX driver is unloaded at exit, and what it keeps LeakSanitizer then reports as a
    # leak of a module it cannot name; widgets need no OpenGL.
    export QT_XCB_GL_INTEGRATION=none
    unset PAGEMASON_EXIT_WHEN_READY
    cd "$E2E_WORK"
}

e2e_teardown()
{
    local status=$?
    if [ -n "$PM_PID" ] && kill -0 "$PM_PID" 2>/dev/null; then
        kill -TERM "$PM_PID" 2>/dev/null || true
        local i
        for i in $(seq 50); do
            kill -0 "$PM_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$PM_PID" 2>/dev/null || true
        wait "$PM_PID" 2>/dev/null || true
    fi
    cd /
    if [ "${E2E_KEEP:-0}" = 1 ] || [ "$status" -ne 0 ]; then
        echo "(the case's folder is kept: $E2E_WORK)"
    else
        rm -rf "$E2E_WORK"
    fi
}

e2e_passed()
{
    echo "PASS: $E2E_CHECKS checks"
}

# e2e_setting SECTION NAME VALUE: a value in the settings file before the program starts.
e2e_setting()
{
    [ -f "$PAGEMASON_REGISTRY" ] || printf 'REGEDIT4\r\n\r\n' >"$PAGEMASON_REGISTRY"
    printf '[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\%s]\r\n"%s"="%s"\r\n\r\n' \
        "$1" "$2" "$3" >>"$PAGEMASON_REGISTRY"
}

# e2e_wait_until DESCRIPTION COMMAND...: runs COMMAND until it succeeds, at most E2E_TIMEOUT s.
e2e_wait_until()
{
    local what=$1
    shift
    local deadline=$((SECONDS + E2E_TIMEOUT))
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "timed out waiting until $what"
        if [ -n "$PM_PID" ] && ! kill -0 "$PM_PID" 2>/dev/null; then
            # The program leaving is what some waits are for; for the others it is a failure.
            "$@" >/dev/null 2>&1 && return 0
            e2e_fail "the program ended while waiting until $what"
        fi
        sleep 0.1
    done
}

# e2e_check DESCRIPTION COMMAND...: a check that must hold now.
e2e_check()
{
    local what=$1
    shift
    "$@" || e2e_fail "$what"
    E2E_CHECKS=$((E2E_CHECKS + 1))
    e2e_log "ok: $what"
}

# e2e_geometry WINDOW: "x y width height" of an X window.
e2e_geometry()
{
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}

# e2e_window TITLE-REGEX: the largest visible window of the program whose title matches.
e2e_window()
{
    local w best= area bestArea=0 x y width height
    for w in $(xdotool search --all --onlyvisible --pid "$PM_PID" --name "$1" 2>/dev/null); do
        read -r x y width height < <(e2e_geometry "$w")
        area=$((width * height))
        if [ "$area" -gt "$bestArea" ]; then
            best=$w
            bestArea=$area
        fi
    done
    [ -n "$best" ] && echo "$best"
}

e2e_has_focus() { [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$1" ]; }
e2e_no_window() { [ -z "$(e2e_window "$1")" ]; }
e2e_running() { kill -0 "$PM_PID" 2>/dev/null; }

# e2e_focused_window TITLE-REGEX: the window with the keyboard focus when its title matches.
e2e_focused_window()
{
    local w
    w=$(xdotool getwindowfocus -f 2>/dev/null) || return 1
    xdotool getwindowname "$w" 2>/dev/null | grep -Eq -- "$1" || return 1
    echo "$w"
}

# e2e_wait_window TITLE-REGEX: waits until such a window is shown and has the keyboard focus,
# as a user waits for a window before typing into it; prints its id.
e2e_wait_window()
{
    e2e_wait_until "a window '$1' shows" e2e_window "$1"
    e2e_wait_until "the window '$1' has the keyboard focus" e2e_focused_window "$1"
    e2e_focused_window "$1"
}

# e2e_wait_gone TITLE-REGEX: waits until no window of that title is shown.
e2e_wait_gone() { e2e_wait_until "the window '$1' is gone" e2e_no_window "$1"; }

# e2e_start ARGUMENTS...: starts the program and waits for its main window with the keyboard.
e2e_start()
{
    "$E2E_APP/pagemason" "$@" >>"$E2E_WORK/program.log" 2>&1 &
    PM_PID=$!
    e2e_log "started pagemason $* (pid $PM_PID)"
    PM_WINDOW=$(e2e_wait_window '^Pagemason$')
}

# e2e_main_has_focus: the main window has the keyboard again (after a dialog closed).
e2e_wait_main_focus()
{
    e2e_wait_until "the main window has the keyboard focus" e2e_has_focus "$PM_WINDOW"
}

# e2e_keys KEY...: presses keys (xdotool names: ctrl+s, alt+f, Return, Escape) in order.
e2e_keys() { xdotool key --delay 60 "$@"; }
# e2e_type TEXT: types text as keys.
e2e_type() { xdotool type --delay 40 -- "$1"; }

# e2e_wait_exit: waits until the program has ended and checks it ended cleanly.
e2e_wait_exit()
{
    e2e_wait_until "the program has ended" bash -c "! kill -0 $PM_PID"
    local rc=0
    wait "$PM_PID" || rc=$?
    PM_PID=
    e2e_check "the program ended with status 0 (it was $rc)" [ "$rc" -eq 0 ]
}

# e2e_same_bytes FILE EXPECTED: byte for byte.
e2e_same_bytes() { cmp -s "$1" "$2"; }
# e2e_wait_bytes FILE EXPECTED: waits until FILE holds exactly EXPECTED's bytes.
e2e_wait_bytes()
{
    e2e_wait_until "$1 holds the bytes of $2" e2e_same_bytes "$1" "$2"
    E2E_CHECKS=$((E2E_CHECKS + 1))
    e2e_log "ok: $(basename "$1") holds exactly the expected bytes"
}
