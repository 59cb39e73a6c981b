#!/usr/bin/env bash
# End to end: trust as the real desktop reports it. With assistive technologies on, the
# process is trusted. With them off (run-in-desktop.sh --no-a11y), it is not; declining the
# offer changes nothing, and accepting it switches them on through the real AT-SPI launcher.
#
#   run-in-desktop.sh [--no-a11y] -- atspi_trust.sh on|off ATSPI_PROBE
set -euo pipefail

state=$1
probe=$2

expect() {
  local wanted=$1 output
  shift
  output=$("$probe" "$@")
  if [ "$(tail -1 <<<"$output")" != "$wanted" ]; then
    echo "FAIL: '$*' printed:" >&2
    printf '%s\n' "$output" >&2
    exit 1
  fi
  printf '%s\n' "$output"
}

case "$state" in
  on)
    expect trusted trust
    # Nothing to ask when trust is there already.
    output=$(expect trusted request-trust decline)
    if grep -q '^asked' <<<"$output"; then echo "FAIL: asked although trusted" >&2; exit 1; fi
    ;;
  off)
    expect untrusted trust
    expect untrusted request-trust decline
    expect trusted request-trust accept
    expect trusted trust
    ;;
  *) echo "usage: $0 on|off ATSPI_PROBE" >&2; exit 64 ;;
esac
echo "PASS: assistive technologies $state"
