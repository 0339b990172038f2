#!/bin/sh
# Runs a Windows test program under Wine: wine-test.sh WINE PROGRAM ARGUMENTS...
#
# Now and then Wine fails to start a program at all while other Wine programs start beside
# it: nothing is printed and Wine exits with an error. A test program prints before it does
# anything else, so a run that printed nothing and failed never ran the tests; it is started
# again, at most twice, with a line on standard error that says so. A test that fails has
# printed why, and its failure stands.
wine=$1
shift
out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
tries=1
while :; do
  status=0
  "$wine" "$@" > "$out" 2> "$err" || status=$?
  if [ "$status" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ "$tries" -ge 3 ]; then
    break
  fi
  echo "wine-test.sh: Wine started nothing (exit status $status, try $tries of 3); starting it again" >&2
  tries=$((tries + 1))
done
cat "$out"
cat "$err" >&2
exit "$status"
