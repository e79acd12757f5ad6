# What the user-level tests share: their start, and checks that compare what
# the user sees (window title, status bar, output pane, saved files, the
# configuration file) with what it should be. A check that fails says what
# it saw and lets the flow go on, so one run shows every difference;
# user_test_end then fails the test.
#   . tests/user/expect.sh
#   user_test_begin NAME PELLWICK_EXE PROBE_EXE ARTIFACT_FOLDER
#   ... ui_* steps and expect_* checks ...
#   user_test_end
# Runs inside scripts/sandbox (ctest registers the flows in both Windows
# builds, each with the Wine loader of its width in PELLWICK_WINE).

. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/ui.sh"

USER_TEST_FAILURES=0

user_test_begin() {
  USER_TEST_NAME=$1
  USER_TEST_ARTIFACTS=$4
  ui_setup "$2" "$3"
  UI_FAILURE_SHOT=$USER_TEST_ARTIFACTS/user-$USER_TEST_NAME-failed.png
  rm -f "$UI_FAILURE_SHOT"
  # A first run: no installation key, no configuration file.
  ui_probe forget || ui_fail "cannot remove the configuration of an earlier run"
}

# The picture a person would look at to see the flow's main point.
user_test_shot() {
  ui_shot "$USER_TEST_ARTIFACTS/user-$USER_TEST_NAME.png"
}

user_test_end() {
  if [ "$USER_TEST_FAILURES" -ne 0 ]; then
    ui_shot "$UI_FAILURE_SHOT"
    echo "$USER_TEST_FAILURES check(s) failed; screenshot: $UI_FAILURE_SHOT" >&2
    exit 1
  fi
  echo "user flow $USER_TEST_NAME: all checks passed"
}

expect_eq() {
  local what=$1 expected=$2 actual=$3
  if [ "$expected" != "$actual" ]; then
    printf 'MISMATCH %s\n  expected: %q\n  actual:   %q\n' "$what" "$expected" "$actual" >&2
    USER_TEST_FAILURES=$((USER_TEST_FAILURES + 1))
  fi
}

# Byte for byte: the carriage returns matter.
expect_bytes() {
  local what=$1 expected=$2 actual=$3
  if ! cmp -s "$expected" "$actual"; then
    echo "MISMATCH $what" >&2
    echo "  expected:" >&2
    od -c "$expected" | sed 's/^/    /' >&2
    echo "  actual:" >&2
    od -c "$actual" 2>&1 | sed 's/^/    /' >&2
    USER_TEST_FAILURES=$((USER_TEST_FAILURES + 1))
  fi
}

# The output pane holds exactly the bytes given on standard input.
expect_pane() {
  cat >"$UI_TMP/pane.expected"
  ui_probe pane >"$UI_TMP/pane"
  expect_bytes "$1" "$UI_TMP/pane.expected" "$UI_TMP/pane"
}

# A value of the configuration file as a first run keeps it: pellwick.ini in
# the Windows folder of the prefix.
ini_value() {
  local ini="$WINEPREFIX/drive_c/windows/pellwick.ini"
  [ -f "$ini" ] || return 0
  tr -d '\r' <"$ini" | awk -v section="[$1]" -v key="$2" '
    tolower($0) == tolower(section) { inside = 1; next }
    /^\[/ { inside = 0 }
    inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }'
}

