# A toolbar built with the Customize Toolbars dialog, by the keyboard as a person would: a new
# toolbar with one large button bound to a menu entry of the menus file; after OK the button
# is there, a mouse click runs the entry's wizard and the tag goes into the page, and the
# toolbar is in the toolbar file for the next start.
e2e_setting 'Splash' 'Show splash screen' 0
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
# OK has no letter of its own: the mouse, as a person would.
read -r dx dy dw dh < <(e2e_geometry "$(e2e_window '^Customize Toolbars$')")
xdotool mousemove $((dx + dw - 138)) $((dy + dh - 23)) click 1
e2e_wait_gone '^Customize Toolbars$'
has_mail_toolbar() { tr -d '\r' <"$E2E_APP/Pagemason.tb" | grep -qx '{+Mail'; }
e2e_wait_until "OK saved the new toolbar" has_mail_toolbar

# The new toolbar ends the first row, after the shipped two; its one button is 300 wide.
mail_button()
{
    local x y w h
    read -r x y w h < <(e2e_geometry "$PM_WINDOW")
    xdotool mousemove $((x + 810)) $((y + 53)) click 1
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
