#!/usr/bin/env bash
# "Launch Ondrel at login" switched on in the General pane writes an XDG autostart entry; a new
# session's autostart (openbox's runner) starts Ondrel from it; switched off, the entry is gone.
source "$(dirname "$0")/lib.sh"
runner=/usr/lib/x86_64-linux-gnu/openbox-xdg-autostart
[ -x "$runner" ] || fail "openbox's autostart runner is not installed"
"$syspython" -c 'import xdg' 2>/dev/null || fail "python3-xdg (needed by openbox's runner) is not installed"

entry="$XDG_CONFIG_HOME/autostart/ondrel.desktop"
start_ondrel
open_settings
click "list item" "General"
click "check box" "Launch Ondrel at login"
wait_until 10 test -f "$entry" || fail "no autostart entry after switching it on"
grep -q '^Exec=' "$entry" || fail "the autostart entry has no Exec line: $(cat "$entry")"
ok "switched on, it writes $entry"

# A new session: this Ondrel ends, and the session's autostart runs the user's entries (only
# those: the system's own are kept out of this desktop).
stop_ondrel
mkdir -p "$work/no-system-autostart"
XDG_CONFIG_DIRS="$work/no-system-autostart" "$runner" >"$work/autostart.log" 2>&1
wait_until 20 icon_docked || fail "the autostart entry did not start Ondrel"
ondrel_pid=$(xdotool search --classname '^ondrel$' getwindowpid 2>/dev/null | head -1)
[ -n "$ondrel_pid" ] && kill -0 "$ondrel_pid" || fail "no process behind the docked icon"
started+=($ondrel_pid)
ok "a new session's autostart starts Ondrel from it"

open_settings
click "list item" "General"
switch_is_on() { [[ "$(element_states "check box" "Launch Ondrel at login")" == *checked* ]]; }
wait_until 5 switch_is_on ||
  fail "the switch is not on in the new session: $(element_states "check box" "Launch Ondrel at login")"
click "check box" "Launch Ondrel at login"
wait_until 10 bash -c '! test -e "$1"' _ "$entry" || fail "the autostart entry is still there after switching it off"
ok "switched off, the entry is gone"
kill -TERM "$ondrel_pid"
wait_until 10 bash -c '! kill -0 "$1" 2>/dev/null' _ "$ondrel_pid" || fail "Ondrel did not end on SIGTERM"
forget_pid "$ondrel_pid"
ondrel_pid=""
