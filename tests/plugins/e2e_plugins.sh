#!/usr/bin/env bash
# End to end, with the real program on a virtual display: a shipped plug-in changes the
# selection from its menu, a crashing plug-in changes nothing (the selection is still there for
# the next plug-in) and is reported once, and the program carries on to save and quit.
# Usage: e2e_plugins.sh BIN_DIR TEST_PLUGINS_DIR. Exits 77 (skipped) without xvfb-run or xdotool.
set -euo pipefail
bin=$1
test_plugins=$2
if [ -z "${PM_E2E_INSIDE:-}" ]; then
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
    export PM_E2E_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

# The program reads its files beside itself: a folder of its own, so nothing shipped is touched.
app=$(mktemp -d)
trap 'rm -rf "$app"' EXIT
cp "$bin/pagemason" "$bin/pagemason-plugin-host" "$bin/default.mnu" "$bin/Pagemason.colors" "$app/"
mkdir "$app/plugins"
cp "$bin/plugins/tools.so" "$test_plugins/segfault.so" "$app/plugins/"
printf '{&Broken\r\nitem=[&Crash]\r\n<B>{= '"'"'c'"'"', plugin[segfault.so, Fault] =}</B>\r\n}\r\n' \
    >> "$app/default.mnu"
touch "$app/Pagemason.err" # the error log is written when it exists
cat > "$app/Pagemason.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Orvane\Pagemason\Errors handeling]
"Log errors"="1"
"Message type"="1"

[HKEY_CURRENT_USER\Software\Orvane\Pagemason\Splash]
"Show splash screen"="0"
REG
printf 'Hello world\n' > "$app/page.html"

export PAGEMASON_REGISTRY=$app/Pagemason.reg
unset QT_QPA_PLATFORM
# Under a real X server the graphics drivers leak a little at exit; the unit tests look for
# leaks of our own, this run looks at behaviour.
export ASAN_OPTIONS=detect_leaks=0
"$app/pagemason" "$app/page.html" > "$app/out.log" 2>&1 &
pid=$!
fail() {
    echo "FAIL: $*"
    echo "--- program output"; cat "$app/out.log"
    echo "--- page"; od -c "$app/page.html"
    echo "--- error log"; cat "$app/Pagemason.err"
    kill "$pid" 2>/dev/null || true
    exit 1
}
window=$(timeout 30 xdotool search --sync --onlyvisible --class pagemason | head -1) \
    || fail "no window appeared"
sleep 1
# No window manager: windows sit at the top left, unframed. A click into the document's text
# gives it the keyboard.
xdotool windowsize "$window" 1024 768
sleep 0.5
xdotool mousemove 500 200 click 1
sleep 0.3
keys() { xdotool key --delay 120 "$@"; sleep 0.8; }

keys ctrl+Home shift+Right shift+Right shift+Right shift+Right shift+Right
keys alt+u c u                       # Plug-ins > Case of the selection > Upper case
keys shift+Home                      # "HELLO" selected again
keys alt+b c                         # Broken > Crash: the plug-in dies in its helper
sleep 1
keys Return                          # the error box
xdotool mousemove 475 30 click 1     # the document's title bar: the keyboard is back, the
sleep 0.3                            # selection stays
keys alt+u c l                       # Lower case: proves "HELLO" is still selected
keys ctrl+s
keys alt+f x                         # File > Exit
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the program did not quit"
wait "$pid" || fail "the program ended with code $?"

# (Line ends are not this test's business.)
[ "$(tr -d '\r' < "$app/page.html")" = "hello world" ] || fail "the page is not as expected"
count=$(grep -c "An error has ocured in the plugin" "$app/Pagemason.err" || true)
[ "$count" = 1 ] || fail "the crash was logged $count times"
echo "PASS: upper and lower case from the menu, one crash reported, selection kept, clean exit"
