# The first minute of a new user: the program started with a page on the command line takes
# typing at once (no click), Ctrl+S saves the page with its Latin-1 bytes and its LF line ends
# as they were, and Alt+F then X leaves the program. The shipped files, the first start (no settings yet), the
# splash screen on: nothing prepared but the page.

# A Linux user's page: LF line ends, Latin-1 text (not valid UTF-8).
printf '<html>\n<body>\n<p>caf\xe9 cr\xe8me br\xfbl\xe9e</p>\n</body>\n</html>\n' >page.htm
printf 'Hello <html>\n<body>\n<p>caf\xe9 cr\xe8me br\xfbl\xe9e</p>\n</body>\n</html>\n' >expected.htm

e2e_start "$E2E_WORK/page.htm"
e2e_type "Hello "
e2e_keys ctrl+s

e2e_wait_until "the saved page holds the typed text, its Latin-1 bytes and its LF line ends" \
    e2e_same_bytes page.htm expected.htm
e2e_check "the page was saved byte for byte as expected" e2e_same_bytes page.htm expected.htm

# The document is saved, so leaving asks nothing.
e2e_keys alt+f
e2e_keys x
e2e_wait_exit
e2e_check "the settings were saved on the way out" test -s "$PAGEMASON_REGISTRY"
