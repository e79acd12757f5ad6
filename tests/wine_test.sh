#!/usr/bin/env bash
# Runs one Windows test program under Wine for CTest and passes on its output
# and exit code. The output goes through a file, not CTest's pipe: programs
# Wine starts on the way (the desktop's explorer.exe above all) inherit it,
# and CTest reads the pipe to its end, so one of them that lingers after the
# test would hold the test open until its timeout. PELLWICK_WINE names the
# loader of the program's width (CTest sets it for each build's tests).
#   tests/wine_test.sh PROGRAM.exe [ARGS...]
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"${PELLWICK_WINE:-/usr/lib/wine/wine64}" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
exit $rc
