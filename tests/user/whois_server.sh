#!/usr/bin/env bash
# WhoIs from the toolbar: the user types a query and a server, keeps the
# server with Save, then runs the query with Ok. The saved server is in the
# configuration file and is what the next WhoIs dialog offers, so a second
# query needs only its query string.
#   tests/user/whois_server.sh PELLWICK_EXE PROBE_EXE ARTIFACT_FOLDER
set -euo pipefail
. "$(dirname "$0")/expect.sh"
user_test_begin whois-server "$@"

cat >"$UI_TMP/record" <<'RECORD'
Domain Name: EXAMPLE.TEST
Registrar: Example Registrar
Name Server: NS1.EXAMPLE.TEST
RECORD
ui_serve 127.0.2.21 43 "$UI_TMP/record"
ui_start

# No server is saved yet, and the built-in default is not offered.
ui_click_button 304
ui_wait_dialog "WhoIs Query"
expect_eq "servers offered by a first run" "" "$(ui_probe items "WhoIs Query" 2006)"
ui_type example.test
ui_key Tab
ui_type 127.0.2.21
ui_click_control "WhoIs Query" 3001 # Save
ui_wait "the saved server in the file" test "$(ini_value __Whois__ count)" = 1
expect_eq "saved server" 127.0.2.21 "$(ini_value __Whois__ host0)"
expect_eq "server list after Save" 127.0.2.21 "$(ui_probe items "WhoIs Query" 2006)"
ui_click_control "WhoIs Query" 1 # Ok
ui_wait_title "Pellwick (WhoIs - example.test)"
expect_eq "status after the answer" "Connection Closed." "$(ui_probe status)"
expect_eq "request" $'example.test\r' "$(ui_request 127.0.2.21 43)"
sed 's/$/\r/' "$UI_TMP/record" | expect_pane "pane after the WhoIs query"

# The next dialog offers the saved server: typing the query and Enter do.
ui_click_button 304
ui_wait_dialog "WhoIs Query"
expect_eq "server offered the second time" 127.0.2.21 "$(ui_probe text "WhoIs Query" 2006)"
ui_type second.test
user_test_shot
ui_key Return
ui_wait_title "Pellwick (WhoIs - second.test)"
expect_eq "requests" $'example.test\r\nsecond.test\r' "$(ui_request 127.0.2.21 43)"
ui_exit
user_test_end
