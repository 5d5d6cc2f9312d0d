# Installed like a Linux program: `cmake --install` into a fresh prefix that belongs to root,
# then Pagemason run as the user nobody, who cannot write there, with a home of its own. It
# starts, seeds its own folder from the shipped files, runs a shipped plug-in through the
# helper beside it, saves a page and exits, and nothing under the prefix changed.
# desktop-file-validate accepts the installed desktop entry.
[ -n "${E2E_BUILD_DIR:-}" ] || e2e_fail "E2E_BUILD_DIR must name the build folder"
[ "$(id -u)" -eq 0 ] || e2e_fail "this case needs root to run the program as another user"
command -v setpriv >/dev/null || e2e_fail "setpriv (util-linux) is missing"
command -v desktop-file-validate >/dev/null || e2e_fail "desktop-file-validate is missing; scripts/deps.sh installs it"

# Inside the case's folder, which goes with the case; nobody must reach into it.
chmod 755 "$E2E_WORK"
base=$E2E_WORK/install
mkdir -m 755 "$base"
prefix=$base/prefix
cmake --install "$E2E_BUILD_DIR" --prefix "$prefix" >"$E2E_WORK/install.log" 2>&1 \
    || { cat "$E2E_WORK/install.log"; e2e_fail "cmake --install failed"; }

for f in bin/pagemason bin/pagemason-plugin-host share/pagemason/default.mnu \
         share/pagemason/Pagemason.colors share/applications/pagemason.desktop \
         share/mime/packages/pagemason.xml share/icons/hicolor/scalable/apps/pagemason.svg \
         share/icons/hicolor/16x16/apps/pagemason.png share/icons/hicolor/256x256/apps/pagemason.png \
         share/man/man1/pagemason.1; do
    e2e_check "the prefix holds $f" test -s "$prefix/$f"
done
e2e_check "the prefix holds the shipped plug-in" \
    bash -c "ls '$prefix'/lib*/pagemason/plugins/tools.so '$prefix'/lib/*/pagemason/plugins/tools.so 2>/dev/null | grep -q ."
e2e_check "desktop-file-validate accepts the desktop entry" \
    bash -c "out=\$(desktop-file-validate '$prefix/share/applications/pagemason.desktop' 2>&1) && [ -z \"\$out\" ] || { echo \"\$out\"; false; }"
e2e_check "the desktop entry starts the installed program" \
    grep -qx "Exec=\"$prefix/bin/pagemason\" %F" "$prefix/share/applications/pagemason.desktop"

# The user: nobody, with a home, runtime folder and X authority of its own.
user_home=$base/home
mkdir -p "$user_home/run"
chmod 700 "$user_home/run"
# A server started without an authority file lets every local user in.
xauthority=()
if [ -n "${XAUTHORITY:-}" ]; then
    cp "$XAUTHORITY" "$user_home/.Xauthority"
    xauthority=(XAUTHORITY="$user_home/.Xauthority")
fi
printf '<p>Hello world</p>\n' >"$user_home/page.htm"
printf '<p>HELLO world</p>\n' >"$base/expected.htm"
chown -R nobody:nogroup "$user_home"
e2e_check "nobody cannot write under the prefix" \
    bash -c "! setpriv --reuid=nobody --regid=nogroup --clear-groups -- test -w '$prefix/share/pagemason'"
touch "$base/before-start"
before=$(find "$prefix" -printf '%p %s %m %T@\n' | sort)

# setpriv and env replace themselves with the program, so $! is the program's id.
setpriv --reuid=nobody --regid=nogroup --clear-groups -- env -u PAGEMASON_REGISTRY HOME="$user_home" "${xauthority[@]}" \
    XDG_CONFIG_HOME="$user_home/.config" XDG_DATA_HOME="$user_home/.local/share" \
    XDG_CACHE_HOME="$user_home/.cache" XDG_RUNTIME_DIR="$user_home/run" \
    "$prefix/bin/pagemason" "$user_home/page.htm" >>"$E2E_WORK/program.log" 2>&1 &
PM_PID=$!
e2e_log "started the installed pagemason as nobody (pid $PM_PID)"
PM_WINDOW=$(e2e_wait_window '^Pagemason$')

data=$user_home/.local/share/Pagemason
e2e_check "the user's folder was seeded with the menus" cmp -s "$data/default.mnu" "$prefix/share/pagemason/default.mnu"
e2e_check "and the colour rules" cmp -s "$data/Pagemason.colors" "$prefix/share/pagemason/Pagemason.colors"
e2e_check "the shipped plug-ins are linked beside the user's own" test -L "$data/plugins/tools.so"

# Plug-ins > Case of the selection > Upper case on "Hello", through the installed helper.
e2e_keys ctrl+Home Right Right Right shift+Right shift+Right shift+Right shift+Right shift+Right
e2e_keys alt+u c u
e2e_keys ctrl+s
e2e_wait_bytes "$user_home/page.htm" "$base/expected.htm"
e2e_keys alt+f x
e2e_wait_exit

e2e_check "the settings went to the user's XDG folder" test -s "$user_home/.config/Orvane/Pagemason.reg"
after=$(find "$prefix" -printf '%p %s %m %T@\n' | sort)
e2e_check "nothing under the prefix changed" [ "$before" = "$after" ]
e2e_check "nothing new under the prefix" [ -z "$(find "$prefix" -newer "$base/before-start")" ]
