#!/usr/bin/env bash
# `ondrelctl context` outside a desktop: bad waits are usage errors, and without an X display
# it says so and exits 69 instead of printing a context.
#
#   context_cli.sh ONDRELCTL
set -uo pipefail

ctl=$1
failures=0

check_status() {
  local wanted=$1 status
  shift
  "$@" >/dev/null 2>&1
  status=$?
  if [ "$status" != "$wanted" ]; then
    echo "FAIL: '$*' exited $status, expected $wanted" >&2
    failures=$((failures + 1))
  fi
}

for bad in -1 abc 1e9 nan inf "" 3601 2s; do
  check_status 64 "$ctl" context --after "$bad"
done
check_status 64 "$ctl" context extra
check_status 0 "$ctl" context --help

output=$(env -u DISPLAY "$ctl" context 2>&1)
status=$?
if [ "$status" != 69 ] || ! grep -q "X11 display" <<<"$output"; then
  echo "FAIL: without a display: status $status, output: $output" >&2
  failures=$((failures + 1))
fi
[ "$failures" = 0 ] && echo "PASS"
exit "$failures"
