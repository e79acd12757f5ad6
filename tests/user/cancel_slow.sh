#!/usr/bin/env bash
# Cancel Operation during a slow answer: the server sends one line and then
# keeps the connection open. While the answer runs the title and status
# count the bytes, the query buttons are off (the Finger button does
# nothing) and Cancel is on. The Cancel button ends it: "Operation
# Cancelled", the title keeps the count, the pane keeps what came, and the
# toolbar offers the queries again.
#   tests/user/cancel_slow.sh PELLWICK_EXE PROBE_EXE ARTIFACT_FOLDER
set -euo pipefail
. "$(dirname "$0")/expect.sh"
user_test_begin cancel-slow "$@"

printf 'Login: erin\n' >"$UI_TMP/erin"
ui_serve 127.0.2.41 79 "$UI_TMP/erin" 60
ui_start
ui_finger erin@127.0.2.41
ui_wait_status "Finger - Received 12 bytes."
expect_eq "title while the answer runs" "Finger - Received 12 bytes." "$(ui_title)"
expect_eq "Finger button while busy" 0 "$(ui_probe enabled 101)"
expect_eq "Cancel button while busy" 1 "$(ui_probe enabled 1001)"
# The click on Cancel comes after the click on Finger, so once Cancel has
# taken effect Pellwick has handled the first click too. A Finger dialog
# opened by it would keep the Cancel click from the window, so the wait
# ends on either.
cancelled_or_finger_dialog() {
  ui_status_is "Operation Cancelled" || ui_dialog_shown Finger
}
ui_click_button 101
ui_click_button 1001
ui_wait "Cancel to take effect" cancelled_or_finger_dialog
expect_eq "a Finger dialog opened while busy" no "$(ui_dialog_shown Finger && echo yes || echo no)"
ui_wait_status "Operation Cancelled"
expect_eq "title after Cancel" "Finger - Received 12 bytes." "$(ui_title)"
printf 'Login: erin\r\n' | expect_pane "pane after Cancel"
ui_wait "the Finger button back" test "$(ui_probe enabled 101)" = 1
expect_eq "Cancel button after Cancel" 0 "$(ui_probe enabled 1001)"
user_test_shot

# Idle again: the Finger button opens its dialog.
ui_click_button 101
ui_wait_dialog Finger
ui_key Escape
ui_wait_dialog_gone Finger
ui_exit
user_test_end
