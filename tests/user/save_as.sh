#!/usr/bin/env bash
# File > Save As after a Finger answer, from the keyboard as a user gives it.
# The file holds exactly the pane's text: tabs already turned into eight
# spaces and line feeds into CR LF, nothing added. The offered name saves
# into the current folder, a name typed without extension gets ".txt", an
# existing file is replaced whole after the overwrite question, and Cancel
# writes nothing. With Unicode text on, the Unicode dialog saves the same.
#   tests/user/save_as.sh PELLWICK_EXE PROBE_EXE ARTIFACT_FOLDER
set -euo pipefail
. "$(dirname "$0")/expect.sh"
user_test_begin save-as "$@"

replaced_after_any_question() {
  if ui_probe text "Save As" 65535 | grep -qi replace; then
    ui_key y
  fi
  cmp -s "$UI_TMP/carol.pane" "$1"
}

printf 'Login: carol\tName: Carol\nPlan:\n\tnone\n' >"$UI_TMP/carol"
printf 'Login: carol        Name: Carol\r\nPlan:\r\n        none\r\n' >"$UI_TMP/carol.pane"
ui_serve 127.0.2.31 79 "$UI_TMP/carol"
cd "$UI_TMP" # Pellwick's current folder, where the offered name lands
ui_start
ui_finger carol@127.0.2.31
ui_wait_title "Pellwick (Finger - 127.0.2.31)"
expect_pane "pane" <"$UI_TMP/carol.pane"

# The offered name, taken with Enter.
ui_key alt+f a
ui_wait_dialog "Save As"
expect_eq "offered name" pellwick.txt "$(ui_probe text "Save As" 1152)"
user_test_shot
ui_key Return
ui_wait_dialog_gone "Save As"
ui_wait "pellwick.txt in the current folder" test -s "$UI_TMP/pellwick.txt"
expect_bytes "file saved under the offered name" "$UI_TMP/carol.pane" "$UI_TMP/pellwick.txt"

# A typed path without extension.
ui_save_as "$(ui_windows_path "$UI_TMP/typed")"
ui_wait "typed.txt" test -s "$UI_TMP/typed.txt"
expect_bytes "file saved under a typed name" "$UI_TMP/carol.pane" "$UI_TMP/typed.txt"
expect_eq "a file without the extension" no "$([ -e "$UI_TMP/typed" ] && echo yes || echo no)"

# An existing, longer file is replaced whole. Windows asks first (Yes);
# Wine's classic dialog does not ask.
head -c 500 /dev/zero | tr '\0' x >"$UI_TMP/old.txt"
ui_key alt+f a
ui_wait_dialog "Save As"
ui_key ctrl+a
ui_type "$(ui_windows_path "$UI_TMP/old.txt")"
ui_key Return
ui_wait "old.txt replaced by the pane" replaced_after_any_question "$UI_TMP/old.txt"
ui_wait_dialog_gone "Save As"

# Cancel writes nothing, not even the offered name.
rm "$UI_TMP/pellwick.txt"
ui_key alt+f a
ui_wait_dialog "Save As"
ui_key Escape
ui_wait_dialog_gone "Save As"
# File > Exit is typed after the Escape: once Pellwick has ended it has
# handled the Cancel and written whatever it was going to write.
ui_exit
expect_eq "a file after Cancel" no "$([ -e "$UI_TMP/pellwick.txt" ] && echo yes || echo no)"

# With Unicode text on, the Unicode dialog: it too is titled "Save As".
ui_start -u
ui_finger carol@127.0.2.31
ui_wait_title "Pellwick (Finger - 127.0.2.31)"
ui_save_as "$(ui_windows_path "$UI_TMP/unicode.txt")"
ui_wait "unicode.txt" test -s "$UI_TMP/unicode.txt"
expect_bytes "file saved from the Unicode dialog" "$UI_TMP/carol.pane" "$UI_TMP/unicode.txt"
ui_exit
user_test_end
