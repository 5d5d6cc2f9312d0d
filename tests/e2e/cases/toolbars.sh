# The toolbars with the mouse: a click on a toolbar button runs its menu entry's wizard and
# types the tag into the page; a toolbar dragged out of its dock floats, another dragged to the
# window's left edge docks there; after a restart both are where the user left them, and the
# floating one still works. The case puts one toolbar of its own before the shipped ones: a
# single large "Link" button, which a mouse cannot miss whatever the style draws around it.
e2e_setting 'Splash' 'Show splash screen' 0
{
    printf 'Pagemason Toolbars File - Orvane\r\n{+Marker\r\n~Button~\r\nLink\r\n\r\n1\r\n'
    printf 'A link\r\n200\r\n60\r\nInsertLinksLink\r\n2\r\n}\r\n'
    tail -n +2 "$E2E_APP/Pagemason.tb"
} >toolbars.tb
mv toolbars.tb "$E2E_APP/Pagemason.tb"
printf '<p>x</p>\n' >page.htm

# A drag as a hand makes it: press, move in steps, let go.
drag()
{
    xdotool mousemove "$1" "$2"
    xdotool mousedown 1
    local i
    for i in $(seq 1 20); do
        xdotool mousemove $(($1 + ($3 - $1) * i / 20)) $(($2 + ($4 - $2) * i / 20))
        sleep 0.03
    done
    xdotool mouseup 1
}
# The stored value of the toolbar positions.
position() { tr -d '\r' <"$PAGEMASON_REGISTRY" | grep -F "\"Toolbar #$1 $2\"=" | cut -d'"' -f4; }
positions() { tr -d '\r' <"$PAGEMASON_REGISTRY" | sed -n '/Toolbars Positions\]/,/^$/p'; }
is_at() { [ "$(e2e_geometry "$1")" = "$2" ]; }
# A toolbar window that was dragged or clicked may keep the keyboard: a click on the main
# window's status bar gives it back, as a person would.
back_to_the_text()
{
    local x y w h
    read -r x y w h < <(e2e_geometry "$PM_WINDOW")
    xdotool mousemove $((x + w / 2)) $((y + h - 8)) click 1
    e2e_wait_main_focus
}

e2e_start "$E2E_WORK/page.htm"
read -r mx my _ _ < <(e2e_geometry "$PM_WINDOW")
# The toolbars' first row is right below the menu bar; the Marker toolbar starts it.
button_x=$((mx + 110))
row_y=$((my + 52))

xdotool mousemove "$button_x" "$row_y" click 1
e2e_wait_window '^Link Wizard' >/dev/null
e2e_type "index.html"
e2e_keys Return
e2e_wait_gone '^Link Wizard'
e2e_wait_main_focus
e2e_keys ctrl+s
printf '<A HREF="index.html"></A><p>x</p>\n' >expected.htm
e2e_wait_bytes page.htm expected.htm

# Out of the dock by its handle, into the middle of the window: it floats.
drag $((mx + 4)) "$row_y" $((mx + 600)) $((my + 500))
e2e_wait_until "the Marker toolbar floats" e2e_window '^Marker$'
floating_at=$(e2e_geometry "$(e2e_window '^Marker$')")
back_to_the_text
e2e_keys alt+f x
e2e_wait_exit

# Window 0 is the file's last toolbar: Tags, Standard, Marker.
count=$(tr -d '\r' <"$PAGEMASON_REGISTRY" | grep -F '"Toolbars Count"=' | cut -d'"' -f4)
e2e_check "three toolbars were saved" [ "$count" = 3 ]
e2e_check "the Marker toolbar was saved floating" [ "$(position 2 dock)" = 0 ]
read -r fx fy _ _ <<<"$floating_at"
e2e_check "where it floated" [ "$(position 2 x) $(position 2 y)" = "$fx $fy" ]

e2e_start "$E2E_WORK/page.htm"
e2e_wait_until "the Marker toolbar floats again" e2e_window '^Marker$'
marker=$(e2e_window '^Marker$')
e2e_check "the Marker toolbar floats where it was" is_at "$marker" "$floating_at"
read -r x y w h < <(e2e_geometry "$marker")
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
e2e_wait_window '^Link Wizard' >/dev/null
e2e_type "b.html"
e2e_keys Return
e2e_wait_gone '^Link Wizard'
back_to_the_text
e2e_keys ctrl+s
printf '<A HREF="b.html"></A><A HREF="index.html"></A><p>x</p>\n' >expected.htm
e2e_wait_bytes page.htm expected.htm
# The shipped Standard toolbar starts the row now: to the window's left edge with it.
drag $((mx + 4)) "$row_y" $((mx + 3)) $((my + 400))
back_to_the_text
e2e_keys alt+f x
e2e_wait_exit
e2e_check "the Standard toolbar was saved in the left dock" [ "$(position 1 dock)" = 4 ]
e2e_check "the Tags toolbar stayed in the top dock" [ "$(position 0 dock)" = 1 ]
e2e_check "the Marker toolbar still floats there" \
    [ "$(position 2 dock) $(position 2 x) $(position 2 y)" = "0 $fx $fy" ]
before=$(positions)

# Nothing moved this time: what is saved on the way out is what was read on the way in.
e2e_start "$E2E_WORK/page.htm"
e2e_wait_until "the Marker toolbar floats again" e2e_window '^Marker$'
e2e_check "the Marker toolbar floats where it was" is_at "$(e2e_window '^Marker$')" "$floating_at"
e2e_keys alt+f x
e2e_wait_exit
e2e_check "every toolbar came back to its place" [ "$(positions)" = "$before" ]
