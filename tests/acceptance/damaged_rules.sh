#!/usr/bin/env bash
# A damaged rules file: Ondrel starts with no rules and tells the user once, in a notification
# that names the copy it keeps; at the first save the damaged file is kept beside the new one,
# byte for byte, and nothing else in the folder or the preferences changes.
source "$(dirname "$0")/lib.sh"
command -v dbus-monitor >/dev/null || fail "dbus-monitor is not installed"

mkdir -p "$(dirname "$rules_file")"
printf '{"version":1,"rules":[{"id":"5D1E2C3B-4A59-4E6F-8A7B-9C0D1E2F3A4B","name":"Half wri' >"$rules_file"
cp "$rules_file" "$work/damaged.json"
printf 'my own notes\n' >"$(dirname "$rules_file")/notes.txt"

# The notifications, as the session bus carries them to whatever shows them.
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  >"$work/notify.log" 2>&1 &
started+=($!)
sleep 0.5
notifications() { grep -c 'member=Notify' "$work/notify.log" || true; }

start_ondrel
cp "$prefs_file" "$work/prefs.json"
wait_until 10 bash -c 'grep -q "member=Notify" "$1"' _ "$work/notify.log" || fail "no notification about the damaged file"
kept=$(grep -o 'rules\.json\.rejected-[^ ."]*' "$work/notify.log" | head -1)
[ -n "$kept" ] || fail "the notification does not name the copy it keeps: $(cat "$work/notify.log")"
ok "a notification names the copy it keeps: $kept"
cmp -s "$rules_file" "$work/damaged.json" || fail "the damaged file changed before any save"

open_settings
wait_until 10 ui_shows "*" "No rules yet" || fail "the settings window does not show an empty list"
ok "Ondrel starts with no rules"
click "push button" "Add Rule"
wait_until 10 bash -c '"$1" check "$2" >/dev/null 2>&1' _ "$ondrelctl" "$rules_file" ||
  fail "the first save did not write a readable rules file"
folder=$(dirname "$rules_file")
[ -f "$folder/$kept" ] || fail "the damaged file was not kept as $kept: $(ls -a "$folder")"
cmp -s "$folder/$kept" "$work/damaged.json" || fail "the kept copy differs from the damaged file"
[ "$("$ondrelctl" check "$rules_file")" = "1 rule" ] ||
  fail "the new rules file holds $("$ondrelctl" check "$rules_file")"
ok "the first save keeps the damaged file beside the new one, byte for byte"
[ "$(printf 'my own notes\n')" = "$(cat "$folder/notes.txt")" ] || fail "another file in the folder changed"
cmp -s "$prefs_file" "$work/prefs.json" || fail "the preferences changed"
[ "$(ls -A "$folder" | wc -l)" = 3 ] || fail "unexpected files in the folder: $(ls -A "$folder")"

click "push button" "Add Rule"
sleep 1
stop_ondrel
start_ondrel
sleep 1
[ "$(notifications)" = 1 ] || fail "told the user $(notifications) times"
ok "the user was told once, and nothing else was lost"
stop_ondrel
