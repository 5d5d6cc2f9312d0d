# The Options dialog by keys: Options > Main Options..., to the Errors page, "Short" error
# messages, Return for "Save It !" stores the setting at once. Opened again, a change left with
# Escape ("Never Mind") is not stored then, but is in effect and so saved at the exit. Alt+O
# reaches the Options menu: no menu of the shipped menus file takes its letter.
e2e_setting 'Splash' 'Show splash screen' 0
printf '<p>x</p>\n' >page.htm

message_type()
{
    grep -a -A30 'Errors handeling\]' "$PAGEMASON_REGISTRY" | grep -a -m1 '"Message type"' | tr -d '\r'
}

e2e_start "$E2E_WORK/page.htm"
e2e_keys alt+o o
e2e_wait_window '^Options$' >/dev/null
# Viewer, Files, Splash Screen, Edit, Errors; "&Show" reaches the combo box.
e2e_keys ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab alt+s Down Return
e2e_wait_gone '^Options$'
e2e_wait_until "\"Save It !\" stored the short messages" \
    bash -c "grep -a -q '\"Message type\"=\"1\"' '$PAGEMASON_REGISTRY'"

e2e_wait_main_focus
e2e_keys alt+o o
e2e_wait_window '^Options$' >/dev/null
e2e_keys ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab alt+s Up Escape
e2e_wait_gone '^Options$'
e2e_check "\"Never Mind\" stored nothing" [ "$(message_type)" = '"Message type"="1"' ]

e2e_wait_main_focus
e2e_keys alt+f x
e2e_wait_exit
e2e_check "the change made before \"Never Mind\" was saved at the exit" \
    [ "$(message_type)" = '"Message type"="0"' ]
