#!/usr/bin/env bash
# The real `ondrel` on a real X server with an XEmbed tray (trayer). Run it inside the desktop
# session:
#   tests/e2e/run-in-desktop.sh -- tests/e2e/app_e2e.sh path/to/ondrel
# Checks: from a clean HOME it stores Super+Shift+V and shows no window of its own; it docks
# one icon; a primary click shows the panel under the icon, a second click or a click elsewhere
# hides it; a second launch exits 0 and brings up the first one's settings window (820x540);
# Super+Shift+V pastes a rule's text into zenity; SIGTERM ends it with status 0.
set -euo pipefail

ondrel=${1:?usage: app_e2e.sh ONDREL}
[ -n "${DISPLAY:-}" ] || { echo "app_e2e.sh: no DISPLAY; run it inside run-in-desktop.sh" >&2; exit 64; }
for tool in trayer xdotool xwininfo xprop zenity python3; do
  command -v "$tool" >/dev/null || { echo "app_e2e.sh: $tool is not installed" >&2; exit 69; }
done

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init "app"

# Our windows a user can see, one per line: "<id> <width>x<height> <x>,<y>".
visible_windows() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$ondrel_pid" 2>/dev/null); do
    xwininfo -id "$id" | awk -v id="$id" '
      /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
      /Width:/ {w=$NF} /Height:/ {h=$NF} END {print id, w "x" h, x "," y}'
  done
}
panel_shown() { [[ "$(visible_windows)" == *" 282x"* ]]; }
panel_hidden() { ! panel_shown; }
managed_windows_of() {
  local id
  for id in $(xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*'); do
    xprop -id "$id" _NET_WM_PID | grep -q "= $1\$" && echo "$id"
  done
  return 0
}
docked_icons() { xwininfo -tree -id "$tray" | grep -c '("ondrel" "Ondrel")' || true; }
click_icon() { xdotool mousemove --window "$icon" 5 5 click "${1:-1}"; }

# --- a rule for zenity, a tray, then Ondrel from a clean HOME ----------------------------------

text="Pasted by Ondrel ✓"
mkdir -p "$XDG_DATA_HOME/Ondrel"
python3 - "$text" >"$XDG_DATA_HOME/Ondrel/rules.json" <<'PY'
import json, sys
print(json.dumps({"version": 1, "rules": [{
    "id": "5D1E2C3B-4A59-4E6F-8A7B-9C0D1E2F3A4B", "name": "Zenity", "bundleID": "wmclass:Zenity",
    "appDisplayName": "Zenity", "content": sys.argv[1], "contentType": "plainText",
    "urlMatchMode": "domain", "isEnabled": True, "createdAt": "2024-01-02T03:04:05Z"}]}))
PY

trayer --edge top --align right --widthtype pixel --width 120 --height 24 --SetDockType true \
  >"$work/trayer.out" 2>&1 &
started+=($!)
wait_until 10 xdotool search --name '^panel$' >/dev/null || fail "trayer did not start"
tray=$(xdotool search --name '^panel$' | head -1)

"$ondrel" >"$work/ondrel.out" 2>"$work/ondrel.err" &
ondrel_pid=$!
started+=($ondrel_pid)
wait_until 20 bash -c "[ \$(xwininfo -tree -id $tray | grep -c '(\"ondrel\" \"Ondrel\")') -ge 1 ]" \
  || fail "no icon docked in the tray"
prefs="$XDG_CONFIG_HOME/Ondrel/preferences.json"
stored_default() {
  grep -q '"KeyboardShortcuts_ondrel": "{\\"carbonKeyCode\\":9,\\"carbonModifiers\\":768}"' "$prefs" 2>/dev/null
}
wait_until 10 stored_default || fail "the default shortcut was not stored: $(cat "$prefs" 2>/dev/null)"
echo "ok - a clean start stores Super+Shift+V"
[ "$(docked_icons)" = 1 ] || fail "$(docked_icons) icons docked"
echo "ok - one icon in the tray"
[ -z "$(managed_windows_of "$ondrel_pid")" ] || fail "ondrel has a managed window at start"
echo "ok - no window of its own"

# --- the panel ---------------------------------------------------------------------------------

icon=$(visible_windows | awk '$2 != "282x" {print $1; exit}')
icon_y=$(xwininfo -id "$icon" | awk '/Absolute upper-left Y/ {print $NF}')
click_icon
wait_until 5 panel_shown || fail "a click on the icon ($icon) did not show the panel: $(visible_windows)"
panel_y=$(visible_windows | awk '$2 ~ /^282x/ {split($3, p, ","); print p[2]}')
[ "$panel_y" -gt "$icon_y" ] || fail "the panel is not under the icon ($panel_y, icon at $icon_y)"
click_icon
wait_until 5 panel_hidden || fail "a second click did not hide the panel"
echo "ok - a click shows the panel under the icon, a second click hides it"
click_icon
wait_until 5 panel_shown || fail "a third click did not show the panel: $(visible_windows)"
xdotool mousemove 400 600 click 1
wait_until 5 panel_hidden || fail "a click elsewhere did not hide the panel"
echo "ok - a click elsewhere hides the panel"
menu_shown() { [ "$(visible_windows | wc -l)" = 2 ] && ! panel_shown; }
click_icon 3
wait_until 5 menu_shown || fail "a secondary click did not show the menu: $(visible_windows)"
xdotool key Escape
wait_until 5 bash -c "[ \$(xdotool search --onlyvisible --pid $ondrel_pid | wc -l) = 1 ]" \
  || fail "Escape did not close the menu"
click_icon
wait_until 5 panel_shown || fail "after the menu, a click did not show the panel"
click_icon
wait_until 5 panel_hidden || fail "after the menu, a second click did not hide the panel"
echo "ok - a secondary click shows the menu; after it a click toggles the panel again"

# --- a second launch ---------------------------------------------------------------------------

timeout 10 "$ondrel" >"$work/second.out" 2>"$work/second.err" || fail "the second launch failed ($?)"
wait_until 10 xdotool search --onlyvisible --name '^Ondrel Settings$' >/dev/null \
  || fail "no settings window after the second launch"
settings=$(xdotool search --onlyvisible --name '^Ondrel Settings$' | head -1)
[ "$(xdotool getwindowpid "$settings")" = "$ondrel_pid" ] || fail "the settings window is not the first one's"
xwininfo -id "$settings" | grep -q 'Width: 820' || fail "settings window: $(xwininfo -id "$settings" | grep -E 'Width|Height')"
xwininfo -id "$settings" | grep -q 'Height: 540' || fail "settings window is not 540 high"
echo "ok - a second launch exits 0 and brings up the first one's settings window"
xdotool windowclose "$settings" 2>/dev/null || xdotool key --window "$settings" alt+F4

# --- the shortcut pastes -----------------------------------------------------------------------

zenity --entry --title "paste target" >"$work/zenity.out" 2>"$work/zenity.err" &
zenity_pid=$!
started+=($zenity_pid)
wait_until 20 bash -c "xdotool getactivewindow getwindowpid 2>/dev/null | grep -qx $zenity_pid" \
  || fail "zenity did not come to the front"
sleep 0.5
xdotool key super+shift+v
sleep 1
xdotool key Return
wait_until 10 bash -c "! kill -0 $zenity_pid 2>/dev/null" || fail "zenity did not close"
[ "$(cat "$work/zenity.out")" = "$text" ] || fail "zenity got '$(cat "$work/zenity.out")'"
echo "ok - Super+Shift+V pastes the rule's text into zenity"

# --- SIGTERM -----------------------------------------------------------------------------------

kill -TERM "$ondrel_pid"
status=0
wait "$ondrel_pid" || status=$?
[ "$status" = 0 ] || fail "SIGTERM ended ondrel with status $status"
echo "ok - SIGTERM ends it with status 0"

# --- no tray, no display -----------------------------------------------------------------------

kill "${started[0]}"  # trayer
wait "${started[0]}" 2>/dev/null || true
"$ondrel" >"$work/notray.out" 2>"$work/notray.err" &
ondrel_pid=$!
started+=($ondrel_pid)
wait_until 15 xdotool search --onlyvisible --name '^Ondrel Settings$' >/dev/null \
  || fail "without a tray the settings window did not open"
[ "$(grep -c 'no system tray' "$work/notray.err")" = 1 ] || fail "without a tray the log does not say so once"
kill -TERM "$ondrel_pid"
wait "$ondrel_pid" || fail "ondrel without a tray did not end cleanly"
echo "ok - without a tray it says so once and opens the settings window"

status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$ondrel" >"$work/nodisplay.out" 2>&1 || status=$?
[ "$status" != 0 ] || fail "without a display ondrel exited 0"
[ "$(wc -l <"$work/nodisplay.out")" = 1 ] || fail "without a display ondrel printed more than one line"
echo "ok - without a display it prints one line and fails"
