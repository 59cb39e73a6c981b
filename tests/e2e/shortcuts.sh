#!/usr/bin/env bash
# The global shortcut on a real X server. Run inside the desktop session:
#   tests/e2e/run-in-desktop.sh -- tests/e2e/shortcuts.sh path/to/shortcut_probe
# Checks: Super+Shift+V is stored on first use; a press runs the action once and the release
# runs nothing; a second client finds the combination taken and prints the error line.
set -euo pipefail

probe=${1:?usage: shortcuts.sh PROBE}
[ -n "${DISPLAY:-}" ] || { echo "shortcuts.sh: no DISPLAY; run it inside run-in-desktop.sh" >&2; exit 64; }
export ONDREL_PLATFORM=x11

work=$(mktemp -d /tmp/ondrel-shortcuts.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for file in "$work"/*.out "$work"/*.err; do
    [ -s "$file" ] && { echo "--- $(basename "$file")" >&2; cat "$file" >&2; }
  done
  exit 1
}
# Waits up to 5 s for a line matching the pattern.
wait_for() {
  for _ in $(seq 50); do
    grep -Eq -- "$2" "$1" && return 0
    sleep 0.1
  done
  return 1
}
lines() { grep -Ec -- "$2" "$1" || true; }

prefs="$XDG_CONFIG_HOME/Ondrel/preferences.json"
[ ! -e "$prefs" ] || fail "a preferences file exists before the first run"

"$probe" --seconds 90 >"$work/first.out" 2>"$work/first.err" &
pids+=($!)
wait_for "$work/first.out" '^ready ' || fail "the probe did not start"
grep -qx 'ready ⇧⌘V 1' "$work/first.out" || fail "the default was not registered"

# Stored on first use, in the shared format.
python3 - "$prefs" <<'PY' || fail "the default was not stored"
import json, sys
stored = json.load(open(sys.argv[1]))["KeyboardShortcuts_ondrel"]
assert stored == '{"carbonKeyCode":9,"carbonModifiers":768}', stored
PY
echo "ok - Super+Shift+V stored on first use"

# One press (down and up): the action runs once.
xdotool key super+shift+v
wait_for "$work/first.out" '^action 1$' || fail "a press did not run the action"
sleep 0.5
[ "$(lines "$work/first.out" '^action')" = 1 ] || fail "one press ran the action more than once"
echo "ok - a press runs the action once"

# Held, then released: the press runs the action, the release runs nothing.
xdotool keydown super+shift+v
wait_for "$work/first.out" '^action 2$' || fail "a held press did not run the action"
sleep 0.5
xdotool keyup v shift super
sleep 1
[ "$(lines "$work/first.out" '^action')" = 2 ] || fail "releasing the keys ran the action"
echo "ok - releasing runs nothing"

# A second client: the combination is held by the first one.
"$probe" --seconds 30 >"$work/second.out" 2>"$work/second.err" &
pids+=($!)
wait_for "$work/second.out" '^ready ' || fail "the second probe did not start"
[ "$(lines "$work/second.out" '^Error registering hotkey ⇧⌘V: -?[0-9]+$')" = 1 ] ||
  fail "the second probe did not print one error line"
grep -qx 'ready ⇧⌘V 0' "$work/second.out" || fail "the second probe kept a registration"
echo "ok - a combination held by another client prints the error line: $(grep "^Error" "$work/second.out")"

# The first client still owns the combination.
xdotool key super+shift+v
wait_for "$work/first.out" '^action 3$' || fail "the first probe lost its shortcut"
[ "$(lines "$work/second.out" '^action')" = 0 ] || fail "the second probe ran an action"
echo "ok - the first client keeps the combination"
echo "PASS shortcuts"
