# Plug-ins from the menus of the real program: a shipped plug-in changes the selection, a
# plug-in that crashes in its helper process changes nothing and is reported once (the
# selection is still there for the next plug-in), and the program carries on to save and quit.

cp "$E2E_TEST_PLUGINS/segfault.so" "$E2E_APP/plugins/"
printf '{&Broken\r\nitem=[&Crash]\r\n<B>{= '"'"'c'"'"', plugin[segfault.so, Fault] =}</B>\r\n}\r\n' \
    >>"$E2E_APP/default.mnu"
touch "$E2E_APP/Pagemason.err" # the error log is written when it exists
e2e_setting "Errors handeling" "Log errors" 1
e2e_setting "Errors handeling" "Message type" 1
printf 'Hello world\n' >page.html
printf 'HELLO world\n' >upper.html
printf 'hello world\n' >lower.html

e2e_start "$E2E_WORK/page.html"
e2e_keys ctrl+Home shift+Right shift+Right shift+Right shift+Right shift+Right
e2e_keys alt+u c u # Plug-ins > Case of the selection > Upper case
e2e_keys ctrl+s
e2e_wait_bytes page.html upper.html

e2e_keys shift+Home # "HELLO" selected again
e2e_keys alt+b c # Broken > Crash: the plug-in dies in its helper
e2e_wait_window '^Error'
e2e_keys Return
e2e_wait_main_focus
e2e_keys alt+u c l # Lower case: "HELLO" is still selected
e2e_keys ctrl+s
e2e_wait_bytes page.html lower.html
e2e_check "the crash was logged once" \
    [ "$(grep -c "An error has ocured in the plugin" "$E2E_APP/Pagemason.err")" = 1 ]

e2e_keys alt+f x
e2e_wait_exit
