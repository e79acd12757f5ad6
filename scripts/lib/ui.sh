# Shell functions that use Pellwick as a person does: pointer clicks and key
# presses on the X display through xdotool, with pellwick_probe as the eyes
# (where a button is, what the status bar or the output pane shows). Sourced
# by scripts/demo and by the user-level tests in tests/user/; both run inside
# scripts/sandbox, which provides DISPLAY, WINEPREFIX, PELLWICK_WINE, a
# private loopback network and the names finger.test and whois.test.
# PELLWICK_WINE must be the loader of the program's width, which the probe
# shares: it reads the toolbar's structures inside Pellwick (CTest sets it
# for each build's user flows).
#
#   ui_setup PELLWICK_EXE PROBE_EXE   once, before anything else
#   ui_serve ADDR PORT ANSWER [SECS]  a Finger/WhoIs server answering ANSWER
#                                     (a file), then staying SECS seconds
#   ui_serve_http ADDR DIR            an HTTP server answering GET /PATH
#                                     with the file DIR/PATH
#   ui_start [OPTIONS]                starts Pellwick, waits for its window
#   ui_click_button ID                clicks the toolbar button of command ID
#   ui_wait_dialog CAPTION            waits for a dialog to show
#   ui_type TEXT, ui_key KEY...       keyboard input to the active window
#   ui_wait_title TEXT, ui_wait_status TEXT
#   ui_finger TARGET                  the Finger button, TARGET typed, Enter
#   ui_save_as PATH                   File > Save As, typing PATH
#   ui_exit                           File > Exit, waits for the end
#   ui_shot PNG                       a picture of the whole screen
# Every wait gives up after UI_TIMEOUT seconds (default 20) with a message.
# ui_cleanup, run on exit, ends what ui_start and ui_serve started.

UI_TIMEOUT=${UI_TIMEOUT:-20}
UI_PID=
UI_WIN=
UI_SERVERS=()

ui_setup() {
  UI_EXE=$(realpath "$1")
  UI_PROBE=$(realpath "$2")
  : "${DISPLAY:?run inside scripts/sandbox}" "${PELLWICK_WINE:?run inside scripts/sandbox}"
  UI_TMP=$(mktemp -d /tmp/pellwick-ui.XXXXXX)
  trap ui_cleanup EXIT
  timeout 30 wineserver -w 2>/dev/null || true # a session still winding down
  # One Wine session for the whole script: programs started while a session
  # comes up or winds down can hang or get no display.
  "$PELLWICK_WINE" "$UI_PROBE" hold </dev/null >"$UI_TMP/hold" 2>/dev/null &
  UI_HOLD=$!
  ui_wait "the Wine session" grep -q ready "$UI_TMP/hold"
}

ui_cleanup() {
  # Under set -e a wait for an ended process (exit status 143) would end
  # the cleanup early.
  if [ -n "$UI_PID" ] && kill -0 "$UI_PID" 2>/dev/null; then
    kill "$UI_PID" 2>/dev/null || true
    wait "$UI_PID" 2>/dev/null || true
  fi
  local group
  for group in "${UI_SERVERS[@]}"; do
    kill -- "-$group" 2>/dev/null || true
  done
  if [ -n "${UI_HOLD:-}" ]; then
    kill "$UI_HOLD" 2>/dev/null || true
    wait "$UI_HOLD" 2>/dev/null || true
    # The next script's programs must not meet this session going down.
    timeout 30 wineserver -w 2>/dev/null || true
  fi
  rm -rf "$UI_TMP"
}

# Says what failed, with what the screen showed: the windows by name and,
# when UI_FAILURE_SHOT names a file, a picture.
ui_fail() {
  echo "FAILED: $*" >&2
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    echo "  window on screen: \"$(xdotool getwindowname "$id")\"" >&2
  done
  ui_probe status | sed 's/^/  status bar: /' >&2 || true
  if [ -n "$UI_PID" ] && ! kill -0 "$UI_PID" 2>/dev/null; then
    local code=0
    wait "$UI_PID" 2>/dev/null || code=$?
    echo "  Pellwick is no longer running (exit code $code); Wine said:" >&2
    sed 's/^/    /' "$UI_TMP/wine.log" >&2
  fi
  if [ -n "${UI_FAILURE_SHOT:-}" ]; then
    ui_shot "$UI_FAILURE_SHOT" && echo "  screenshot: $UI_FAILURE_SHOT" >&2
  fi
  exit 1
}

ui_probe() {
  "$PELLWICK_WINE" "$UI_PROBE" "$@" 2>/dev/null
}

# Calls a command every 0.2 s until it succeeds; fails with the description
# when UI_TIMEOUT seconds pass first.
ui_wait() {
  local what=$1
  shift
  local deadline=$((SECONDS + UI_TIMEOUT))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || ui_fail "waited ${UI_TIMEOUT}s for $what"
    sleep 0.2
  done
}

# A server on ADDR:PORT that reads the request line (kept for
# ui_request), sends the file ANSWER and, with SECS, waits that long before
# it closes the connection: a slow answer.
ui_serve() {
  local addr=$1 port=$2 answer=$3 linger=${4:-0}
  local log="$UI_TMP/request-$addr-$port"
  local handler="$UI_TMP/serve-$addr-$port.sh"
  cat >"$handler" <<HANDLER
IFS= read -r line || exit 0
printf '%s\n' "\$line" >>'$log'
cat '$answer'
sleep $linger
HANDLER
  : >"$log"
  # In a process group of its own, so that ui_cleanup also ends the
  # connection a slow answer keeps open.
  setsid socat "TCP-LISTEN:$port,bind=$addr,fork,reuseaddr" "EXEC:sh $handler" \
    </dev/null >/dev/null 2>&1 &
  UI_SERVERS+=($!)
  ui_wait "a server on $addr:$port" ui_listening "$addr" "$port"
}

# An HTTP server on ADDR:80 that answers GET /PATH with the file DIR/PATH
# (as application/rdap+json) or 404, one request a connection; the paths
# asked are kept for ui_request ADDR 80.
ui_serve_http() {
  local addr=$1 dir=$2
  local log="$UI_TMP/request-$addr-80"
  local handler="$UI_TMP/serve-$addr-80.sh"
  cat >"$handler" <<HANDLER
IFS=' ' read -r method path version || exit 0
# The headers are read to their end: a close with a request unread would
# reach the client as a reset.
while IFS= read -r header; do
  [ -z "\$(printf '%s' "\$header" | tr -d '\r')" ] && break
done
printf '%s\n' "\$path" >>'$log'
file='$dir'"\$path"
case "\$path" in
*..*) file= ;;
esac
if [ -n "\$file" ] && [ -f "\$file" ]; then
  printf 'HTTP/1.1 200 OK\r\nContent-Type: application/rdap+json\r\nContent-Length: %s\r\nConnection: close\r\n\r\n' "\$(wc -c <"\$file")"
  cat "\$file"
else
  printf 'HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n'
fi
HANDLER
  : >"$log"
  setsid socat "TCP-LISTEN:80,bind=$addr,fork,reuseaddr" "EXEC:sh $handler" \
    </dev/null >/dev/null 2>&1 &
  UI_SERVERS+=($!)
  ui_wait "a server on $addr:80" ui_listening "$addr" 80
}

ui_listening() {
  ss -Hltn "src $1 and sport = :$2" 2>/dev/null | grep -q .
}

# The request lines a server of ui_serve received, one a line, as sent
# (a Finger or WhoIs request ends in a carriage return).
ui_request() {
  cat "$UI_TMP/request-$1-$2"
}

ui_start() {
  "$PELLWICK_WINE" "$UI_EXE" "$@" </dev/null >/dev/null 2>"$UI_TMP/wine.log" &
  UI_PID=$!
  ui_wait "the Pellwick window" ui_find_main
}

ui_find_main() {
  UI_WIN=$(xdotool search --onlyvisible --pid "$UI_PID" --name '^Pellwick' 2>/dev/null | head -n1)
  [ -n "$UI_WIN" ]
}

ui_title() {
  xdotool getwindowname "$UI_WIN"
}

ui_title_is() {
  [ "$(ui_title)" = "$1" ]
}

ui_status_is() {
  [ "$(ui_probe status)" = "$1" ]
}

ui_wait_title() {
  ui_wait "the title \"$1\"" ui_title_is "$1"
}

ui_wait_status() {
  ui_wait "the status \"$1\"" ui_status_is "$1"
}

# The centre of toolbar button ID on the screen, clicked.
ui_click_button() {
  local x y
  read -r x y < <(ui_probe button "$1") || ui_fail "no toolbar button $1"
  xdotool mousemove "$x" "$y" click 1
}

# The centre of control ID of the dialog CAPTION, clicked.
ui_click_control() {
  local x y
  read -r x y < <(ui_probe control "$1" "$2") || ui_fail "no control $2 in \"$1\""
  xdotool mousemove "$x" "$y" click 1
}

ui_dialog_shown() {
  xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}

ui_dialog_gone() {
  ! ui_dialog_shown "$1"
}

ui_wait_dialog() {
  ui_wait "the dialog \"$1\"" ui_dialog_shown "$1"
  # Typing before the dialog is the active window would go to the window
  # behind it.
  ui_wait "\"$1\" to be active" ui_active "$1"
}

ui_active() {
  [ "$(ui_probe foreground)" = "$1" ]
}

ui_wait_dialog_gone() {
  ui_wait "\"$1\" to close" ui_dialog_gone "$1"
}

ui_type() {
  xdotool type --delay 20 -- "$1"
}

ui_key() {
  xdotool key --delay 50 "$@"
}

# A Finger query from the toolbar: the Finger button, TARGET typed into the
# dialog, Enter.
ui_finger() {
  ui_click_button 101
  ui_wait_dialog Finger
  ui_type "$1"
  ui_key Return
}

# File > Save As from the keyboard; PATH (a Windows path) replaces the
# offered name.
ui_save_as() {
  ui_key alt+f a
  ui_wait_dialog "Save As"
  ui_key ctrl+a
  ui_type "$1"
  ui_key Return
  ui_wait_dialog_gone "Save As"
}

# File > Exit from the keyboard; waits for the program to end.
ui_exit() {
  ui_key alt+f x
  ui_wait "Pellwick to end" ui_ended
  wait "$UI_PID" 2>/dev/null || true
  UI_PID=
}

ui_ended() {
  ! kill -0 "$UI_PID" 2>/dev/null
}

ui_shot() {
  mkdir -p "$(dirname "$1")"
  import -window root "$1"
}

# A Linux path as the program sees it under Wine.
ui_windows_path() {
  printf 'Z:%s' "${1//\//\\}"
}
