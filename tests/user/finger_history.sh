#!/usr/bin/env bash
# Finger from the toolbar, as a user does it: the Finger button, a typed
# target, Enter. The answer fills the pane, the title names the host and the
# status says the connection closed; the target goes into the history, which
# the next Finger dialog offers, most recent first, also after a restart.
#   tests/user/finger_history.sh PELLWICK_EXE PROBE_EXE ARTIFACT_FOLDER
set -euo pipefail
. "$(dirname "$0")/expect.sh"
user_test_begin finger-history "$@"

# A dropped-down list is a window of its own, without a title.
history_list_shown() {
  xdotool search --onlyvisible --pid "$UI_PID" --name '^$' >/dev/null 2>&1
}

printf 'Login: alice\nName: Alice Example\n' >"$UI_TMP/alice"
printf 'Login: bob\nName: Bob Example\n' >"$UI_TMP/bob"
ui_serve 127.0.2.11 79 "$UI_TMP/alice"
ui_serve 127.0.2.12 79 "$UI_TMP/bob"
ui_start

# A first run has no history: the target field opens empty.
ui_click_button 101
ui_wait_dialog Finger
expect_eq "target offered by a first run" "" "$(ui_probe text Finger 2002)"
ui_type alice@127.0.2.11
ui_key Return
ui_wait_title "Pellwick (Finger - 127.0.2.11)"
expect_eq "status after the answer" "Connection Closed." "$(ui_probe status)"
expect_eq "request" $'alice\r' "$(ui_request 127.0.2.11 79)"
printf 'Login: alice\r\nName: Alice Example\r\n' | expect_pane "pane after the first query"
expect_eq "history count" 1 "$(ini_value __History__ count)"
expect_eq "history entry 0" alice@127.0.2.11 "$(ini_value __History__ host0)"

# The second opening offers the first target, ready to run again or replace.
ui_click_button 101
ui_wait_dialog Finger
expect_eq "target offered the second time" alice@127.0.2.11 "$(ui_probe text Finger 2002)"
ui_key ctrl+a
ui_type bob@127.0.2.12
ui_key Return
ui_wait_title "Pellwick (Finger - 127.0.2.12)"
expect_eq "status after the second answer" "Connection Closed." "$(ui_probe status)"
printf 'Login: bob\r\nName: Bob Example\r\n' |
  expect_pane "pane after the second query (the first one cleared)"
expect_eq "history count" 2 "$(ini_value __History__ count)"
expect_eq "history entry 0" bob@127.0.2.12 "$(ini_value __History__ host0)"
expect_eq "history entry 1" alice@127.0.2.11 "$(ini_value __History__ host1)"

# The history outlives the program.
ui_exit
ui_start
ui_click_button 101
ui_wait_dialog Finger
expect_eq "target offered after a restart" bob@127.0.2.12 "$(ui_probe text Finger 2002)"
expect_eq "history list after a restart" $'bob@127.0.2.12\nalice@127.0.2.11' \
  "$(ui_probe items Finger 2002)"
ui_key F4 # the list drops down, for the picture
ui_wait "the history list to drop down" history_list_shown
user_test_shot
ui_key Escape Escape
ui_wait_dialog_gone Finger
ui_exit
user_test_end
