#!/bin/sh
# Runs a Windows program under Wine for ctest. The program's output goes through a file: processes
# that Wine starts on the way (the desktop process, programs a test starts) inherit the output
# handles and may outlive the test; had they inherited ctest's pipe, ctest would wait for them.
out=$(mktemp "${TMPDIR:-/tmp}/kv-wine-run.XXXXXX") || exit 125
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
