#!/usr/bin/env bash
# Search > Find Text on an answer, from the keyboard. Find Next closes the
# dialog and selects the hit in the pane; the dialog remembers the text, so
# the next search is Find Text and Enter, and it goes on to the next
# occurrence, then round to the first. The search tells case apart: a text
# in other case brings "Text not found!" and leaves the selection alone.
#   tests/user/find_text.sh PELLWICK_EXE PROBE_EXE ARTIFACT_FOLDER
set -euo pipefail
. "$(dirname "$0")/expect.sh"
user_test_begin find-text "$@"

printf 'Login: dave\nName: Dave Example\nPlan: meet dave at noon\n' >"$UI_TMP/dave"
pane=$'Login: dave\r\nName: Dave Example\r\nPlan: meet dave at noon\r\n'
before_first=${pane%%dave*}
rest=${pane#*dave}
before_second=${rest%%dave*}
first="${#before_first} $((${#before_first} + 4))"
second_start=$((${#before_first} + 4 + ${#before_second}))
second="$second_start $((second_start + 4))"

ui_serve 127.0.2.35 79 "$UI_TMP/dave"
ui_start
ui_finger dave@127.0.2.35
ui_wait_title "Pellwick (Finger - 127.0.2.35)"
printf '%s' "$pane" | expect_pane "pane"

find_next() { # TEXT, or nothing to take what the dialog offers
  ui_key alt+s f
  ui_wait_dialog Find
  if [ $# -gt 0 ]; then
    ui_key ctrl+a
    ui_type "$1"
  fi
  ui_key Return
}

find_next dave
ui_wait_dialog_gone Find
expect_eq "selection after the first search" "$first" "$(ui_probe selection)"

ui_key alt+s f
ui_wait_dialog Find
expect_eq "text the dialog offers again" dave "$(ui_probe text Find 1152)"
ui_key Return
ui_wait_dialog_gone Find
expect_eq "selection after the second search" "$second" "$(ui_probe selection)"
user_test_shot

find_next
ui_wait_dialog_gone Find
expect_eq "selection after the third search (round to the first)" "$first" \
  "$(ui_probe selection)"

find_next DAVE
ui_wait_dialog Error
expect_eq "message for a text in other case" "Text not found!" "$(ui_probe text Error 65535)"
ui_key Return
ui_wait_dialog_gone Error
expect_eq "selection after a miss" "$first" "$(ui_probe selection)"
ui_exit
user_test_end
