# The main window on a 1280 x 1024 screen: on the first start it takes most of the screen
# and lies wholly on it; the place the user gives it comes back at the next start; the image
# preview opens beside the tools window, not over the menu bar. There is no window manager:
# xdotool moves and sizes the window as a window manager does when the user drags it.
e2e_setting 'Splash' 'Show splash screen' 0

read -r screen_w screen_h < <(xdotool getdisplaygeometry)
on_screen()
{
    local x y w h
    read -r x y w h < <(e2e_geometry "$1")
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$screen_w" ] && [ $((y + h)) -le "$screen_h" ]
}
most_of_the_screen()
{
    local x y w h
    read -r x y w h < <(e2e_geometry "$1")
    [ $((4 * w)) -ge $((3 * screen_w)) ] && [ $((4 * h)) -ge $((3 * screen_h)) ]
}

e2e_start
e2e_check "the first start lies wholly on the screen" on_screen "$PM_WINDOW"
e2e_check "the first start takes most of the screen" most_of_the_screen "$PM_WINDOW"

is_at() { [ "$(e2e_geometry "$1")" = "$2" ]; }
xdotool windowsize "$PM_WINDOW" 900 600
xdotool windowmove "$PM_WINDOW" 50 40
e2e_wait_until "the window stands where it was put" is_at "$PM_WINDOW" "50 40 900 600"
e2e_keys alt+f x
e2e_wait_exit

e2e_start
e2e_check "the next start brings back the place the user gave it" \
    is_at "$PM_WINDOW" "50 40 900 600"

# A picture from the Open dialog shows in the floating preview.
picture="$E2E_DATA/document/tiny.bmp"
e2e_keys ctrl+o
e2e_wait_window '^Open file$' >/dev/null
e2e_type "$picture"
e2e_keys Return
e2e_wait_gone '^Open file$'
e2e_wait_until "the image preview shows" e2e_window 'tiny\.bmp [0-9]+x[0-9]+$'
preview=$(e2e_window 'tiny\.bmp [0-9]+x[0-9]+$')
beside_the_tools()
{
    local px py pw ph mx my mw mh
    read -r px py pw ph < <(e2e_geometry "$preview")
    read -r mx my mw mh < <(e2e_geometry "$PM_WINDOW")
    # The menu bar is the frame's top 20 pixels at least, the tools window its left 60.
    [ "$py" -ge $((my + 20)) ] && [ "$px" -ge $((mx + 60)) ]
}
e2e_check "the preview is not over the menu bar, but beside the tools window" beside_the_tools
e2e_check "the preview lies wholly on the screen" on_screen "$preview"

e2e_wait_main_focus
e2e_keys alt+f x
e2e_wait_exit
