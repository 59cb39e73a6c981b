#!/usr/bin/env bash
# The shortcut recorded anew in the General pane as Super+Alt+V: the old Super+Shift+V no longer
# pastes, the new one does, and so it stays after Ondrel restarts.
source "$(dirname "$0")/lib.sh"

text="Recorded ✓"
write_rules "$(rule "Zenity" "wmclass:Zenity" "$text")"
start_ondrel
open_settings
click "list item" "General"
click "text" "Smart Paste hotkey"
xdotool key super+alt+v
# Super+Alt+V in the stored form: key V (9) with the Command (256) and Option (2048) bits.
wait_until 10 grep -q '"KeyboardShortcuts_ondrel": "{\\"carbonKeyCode\\":9,\\"carbonModifiers\\":2304}"' "$prefs_file" ||
  fail "the recorder did not store Super+Alt+V: $(cat "$prefs_file")"
ok "the recorder stores Super+Alt+V"
xdotool windowclose "$settings_window" 2>/dev/null || xdotool key --window "$settings_window" Escape

# pastes_only_with_new WHEN: in zenity the old shortcut pastes nothing, the new one pastes.
pastes_only_with_new() {
  start_zenity "recorded $1"
  local before
  before=$(file_stamp "$rules_file")
  xdotool key super+shift+v
  sleep 1.5
  [ "$(file_stamp "$rules_file")" = "$before" ] || fail "$1: Super+Shift+V still pasted"
  xdotool key super+alt+v
  wait_until 10 bash -c '[ "$(stat -c "%i %.9Y" "$1")" != "$2" ]' _ "$rules_file" "$before" ||
    fail "$1: Super+Alt+V did not paste"
  sleep 0.3
  local got
  got=$(finish_zenity)
  # The old shortcut, no longer grabbed, reaches zenity as an ordinary key.
  [ "${got%"$text"}" != "$got" ] || fail "$1: zenity got '$got'"
  ok "$1: Super+Shift+V no longer pastes, Super+Alt+V does"
}
pastes_only_with_new "right after recording"
stop_ondrel
start_ondrel
pastes_only_with_new "after a restart"
stop_ondrel
