# Publishing from the real program, by keys, to a real FTP server on 127.0.0.1: Enter puts the
# open document on the list, Send saves it first and then stores it; a wrong password ends the
# run with the FTP error and leaves the window ready; the mended password's run stores the page
# byte for byte, and a second run stores it again; Close keeps the typed settings in the store.

mkdir site
# The server ends when its standard input closes, that is when this case and the program end.
exec 7> >(exec /usr/bin/python3 "$E2E_DATA/../net/ftpserver.py" "$E2E_WORK/site" \
    --user pagemason --password secret --stdin >ftp.port 2>ftp.log)
e2e_wait_until "the FTP server listens" test -s ftp.port
port=$(head -n1 ftp.port)

e2e_setting Publish "Server Address" 127.0.0.1
e2e_setting Publish "Server Port" "$port"
e2e_setting Publish "Initial Directory" /
e2e_setting Publish "User name" pagemason
e2e_setting Publish "User password" wrong
e2e_setting Publish "Remote filename mask" "*"
e2e_setting Publish "Dial ISP" 0
touch "$E2E_APP/Pagemason.err" # the error log is written when it exists
e2e_setting "Errors handeling" "Log errors" 1

printf '<p>old</p>\n' >page.htm
printf 'Hello <p>old</p>\n' >expected.htm
e2e_start "$E2E_WORK/page.htm"
e2e_type "Hello " # not saved: Send saves it first

e2e_keys alt+f p
dialog=$(e2e_wait_window '^Publish files$')
e2e_keys Return # the open document, current in the "Open files" page, joins the list
# Alt+S names both the server address and Send; Enter in a field presses Send, the default.
e2e_keys alt+p Return
e2e_wait_window '^Error'
e2e_keys Return
e2e_wait_window '^Publish files$' >/dev/null
e2e_check "the wrong password ended the run with the FTP error" \
    grep -q "Error while talking to FTP server" "$E2E_APP/Pagemason.err"
e2e_check "Send saved the document before the run" e2e_same_bytes page.htm expected.htm
e2e_check "nothing was stored" [ ! -e site/page.htm ]

e2e_keys alt+p ctrl+a # "User password"
e2e_type secret
e2e_keys Return
e2e_wait_bytes site/page.htm expected.htm
if [ -n "${E2E_SCREENSHOT:-}" ]; then
    sleep 1 # only for the picture: let the log and bars paint
    xwd -id "$dialog" | /usr/bin/convert xwd:- "$E2E_SCREENSHOT"
fi

rm site/page.htm
e2e_keys Return # a second run, without leaving the window
e2e_wait_bytes site/page.htm expected.htm

# Close has no access key; it stands in the window's own bottom right corner.
read -r x y width height < <(e2e_geometry "$dialog")
xdotool mousemove $((x + width - 30)) $((y + height - 24)) click 1
e2e_wait_gone '^Publish files$'
e2e_wait_main_focus
e2e_keys alt+f x
e2e_wait_exit
e2e_check "Close kept the mended password" \
    grep -q '"User password"="secret"' "$PAGEMASON_REGISTRY"
e2e_check "and the server's port" grep -q "\"Server Port\"=\"$port\"" "$PAGEMASON_REGISTRY"
e2e_check "the store is readable by its owner only" \
    [ "$(stat -c %a "$PAGEMASON_REGISTRY")" = 600 ]
