# A toolbar built with the Customize Toolbars dialog, by the keyboard as a person would: a new
# toolbar with one large button bound to a menu entry of the menus file; after OK the button
# is there, a mouse click runs the entry's wizard and the tag goes into the page, and the
# toolbar is in the toolbar file for the next start. The case starts with no toolbars at all,
# so the new one begins the first row wherever the style and fonts put the others.
e2e_setting 'Splash' 'Show splash screen' 0
printf 'Pagemason Toolbars File - Orvane\r\n' >"$E2E_APP/Pagemason.tb"
printf '<p>x</p>\n' >page.htm

e2e_start "$E2E_WORK/page.htm"
e2e_keys alt+o t
e2e_wait_window '^Customize Toolbars$' >/dev/null
e2e_keys alt+t
e2e_type "Mail"
e2e_keys Tab space
e2e_keys alt+c
e2e_type "Write to us"
e2e_keys alt+w ctrl+a
e2e_type "300"
e2e_keys Tab ctrl+a
e2e_type "60"
e2e_keys alt+m ctrl+a
e2e_type "Insert|Links|E-mail link"
e2e_keys alt+a
# OK has no letter of its own: from the command box, Tab passes the three file buttons to it.
e2e_keys alt+m Tab Tab Tab Tab space
e2e_wait_gone '^Customize Toolbars$'
has_mail_toolbar() { tr -d '\r' <"$E2E_APP/Pagemason.tb" | grep -qx '{+Mail'; }
e2e_wait_until "OK saved the new toolbar" has_mail_toolbar

# The new toolbar is alone in the first row, right below the menu bar; its one button is 300
# wide and 60 high.
mail_button()
{
    local x y w h
    read -r x y w h < <(e2e_geometry "$PM_WINDOW")
    xdotool mousemove $((x + 110)) $((y + 52)) click 1
}
mail_button
e2e_wait_window '^Write to us Wizard' >/dev/null
e2e_type "me@example.org"
e2e_keys Return
e2e_wait_gone '^Write to us Wizard'
e2e_wait_main_focus
e2e_keys ctrl+s
printf '<A HREF="mailto:me@example.org"></A><p>x</p>\n' >expected.htm
e2e_wait_bytes page.htm expected.htm
e2e_keys alt+f x
e2e_wait_exit

# The next start builds it from the file, and its button still runs the entry.
e2e_start "$E2E_WORK/page.htm"
# The end of the last line: the file's final line end stays after it.
e2e_keys ctrl+End
mail_button
e2e_wait_window '^Write to us Wizard' >/dev/null
e2e_type "you@example.org"
e2e_keys Return
e2e_wait_gone '^Write to us Wizard'
e2e_wait_main_focus
e2e_keys ctrl+s
printf '<A HREF="mailto:me@example.org"></A><p>x</p><A HREF="mailto:you@example.org"></A>\n' >expected.htm
e2e_wait_bytes page.htm expected.htm
e2e_keys alt+f x
e2e_wait_exit
