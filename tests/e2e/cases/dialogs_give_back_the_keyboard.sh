# Keys alone, as a keyboard user works: after File > New, after the Save and Open dialogs,
# after the wizard and after a cancelled exit question the typing goes into the document at
# once. The dialogs start in the home folder on the first start and then in the folder used
# last, not in the program's folder.
e2e_setting 'Splash' 'Show splash screen' 0

# A page in the home folder for the Open dialog to find by its bare name.
printf '<p>old</p>\n' >"$HOME/old.html"

e2e_start

# File > New: the auto-insert template leaves the caret in the title.
e2e_keys ctrl+n
e2e_type "Home"
e2e_keys ctrl+s
e2e_wait_window '^Save file$' >/dev/null
# A bare name: the dialog starts in the home folder, not beside the program.
e2e_type "new.html"
e2e_keys Return
e2e_wait_gone '^Save file$'
e2e_wait_until "the new page is saved in the home folder" test -s "$HOME/new.html"
e2e_check "the title typed after New is in the page" grep -q '<TITLE>Home</TITLE>' "$HOME/new.html"
e2e_check "nothing was saved beside the program" test ! -e "$E2E_APP/new.html"

# Straight after the Save dialog: the text takes the keys again.
e2e_wait_main_focus
e2e_type " page"
e2e_keys ctrl+s
e2e_wait_until "the page holds what was typed after the dialog" \
    grep -q '<TITLE>Home page</TITLE>' "$HOME/new.html"

# File > Open from the last folder, then typing into the opened page.
e2e_keys ctrl+o
e2e_wait_window '^Open file$' >/dev/null
e2e_type "old.html"
e2e_keys Return
e2e_wait_gone '^Open file$'
e2e_wait_main_focus
e2e_type "new "
e2e_keys ctrl+s
e2e_wait_until "the opened page holds what was typed at once" grep -q '^new <p>old</p>' "$HOME/old.html"

# The wizard: Tags > Insert > Links > E-mail link asks one question; afterwards the caret
# stands between the tags and the keys go there.
e2e_keys End Return alt+i l e
e2e_wait_window '^E-mail link Wizard' >/dev/null
e2e_type "me@example.org"
e2e_keys Return
e2e_wait_gone '^E-mail link Wizard'
e2e_wait_main_focus
e2e_type "write"
e2e_keys ctrl+s
e2e_wait_until "the link and the text typed after the wizard are saved" \
    grep -q '<A HREF="mailto:me@example.org">write</A>' "$HOME/old.html"

# Leaving with a change asks; Cancel keeps the program and the typing goes on.
e2e_type "!"
e2e_keys alt+f x
e2e_wait_window '^Warning$' >/dev/null
e2e_keys Escape
e2e_wait_gone '^Warning$'
e2e_check "Cancel kept the program" e2e_running
e2e_wait_main_focus
e2e_type "?"
e2e_keys ctrl+s
e2e_wait_until "the text typed after the cancelled question is saved" \
    grep -q '<A HREF="mailto:me@example.org">write!?</A>' "$HOME/old.html"

# Everything is saved now: leaving asks nothing.
e2e_keys alt+f x
e2e_wait_exit
