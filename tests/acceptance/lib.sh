#!/usr/bin/env bash
# Shared by the acceptance scenarios. Each scenario runs inside run-in-desktop.sh (its own Xvfb,
# openbox, D-Bus session, AT-SPI bus and HOME) and is called as
#   SCENARIO.sh ONDREL ONDRELCTL [ARGS...]
# Everything started through `started` is ended on exit, the built ondrel included.
set -euo pipefail

ondrel=$(realpath "${1:?usage: $0 ONDREL ONDRELCTL [ARGS...]}")
ondrelctl=$(realpath "${2:?usage: $0 ONDREL ONDRELCTL [ARGS...]}")
shift 2
[ -n "${DISPLAY:-}" ] || { echo "$0: no DISPLAY; run it inside tests/e2e/run-in-desktop.sh" >&2; exit 64; }
for tool in trayer xdotool xwininfo xclip zenity; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is not installed" >&2; exit 69; }
done
here=$(dirname "$(realpath "${BASH_SOURCE[0]}")")
# Debian's interpreter: the AT-SPI bindings are Debian packages.
syspython=/usr/bin/python3

# shellcheck source=../e2e/lib.sh
source "$here/../e2e/lib.sh"
e2e_init accept
prefs_file="$XDG_CONFIG_HOME/Ondrel/preferences.json"
ondrel_pid=""

ok() { echo "ok - $*"; }

# A save replaces the file, so its inode and modification time change together.
file_stamp() { stat -c '%i %.9Y' "$1" 2>/dev/null || echo missing; }

# --- the desktop and Ondrel ---------------------------------------------------------------------

start_tray() {
  trayer --edge top --align right --widthtype pixel --width 160 --height 24 --SetDockType true \
    >"$work/trayer.log" 2>&1 &
  started+=($!)
  wait_until 10 xdotool search --name '^panel$' >/dev/null || fail "trayer did not start"
  tray=$(xdotool search --name '^panel$' | head -1)
}

icon_docked() { xwininfo -tree -id "$tray" 2>/dev/null | grep -q '("ondrel" "Ondrel")'; }
shortcut_stored() { grep -q 'KeyboardShortcuts_ondrel' "$prefs_file" 2>/dev/null; }

# start_ondrel: the built ondrel, ready once its icon is docked and its shortcut stored.
start_ondrel() {
  [ -n "${tray:-}" ] || start_tray
  "$ondrel" >>"$work/ondrel.out" 2>>"$work/ondrel.err" &
  ondrel_pid=$!
  started+=($ondrel_pid)
  wait_until 20 icon_docked || fail "ondrel docked no icon"
  wait_until 10 shortcut_stored || fail "ondrel stored no shortcut"
  # The icon comes before the hotkey is grabbed; the grab follows within the same launch.
  sleep 0.5
  kill -0 "$ondrel_pid" 2>/dev/null || fail "ondrel exited while starting"
}

stop_ondrel() {
  [ -n "$ondrel_pid" ] || return 0
  kill -TERM "$ondrel_pid" 2>/dev/null || true
  local status=0
  wait "$ondrel_pid" || status=$?
  forget_pid "$ondrel_pid"
  ondrel_pid=""
  [ "$status" = 0 ] || fail "ondrel ended with status $status on SIGTERM"
}

# press_and_wait_save: one press, then waits until the store has stamped the rule used, which
# happens once the paste engine has put the previous clipboard back.
press_and_wait_save() {
  local before
  before=$(file_stamp "$rules_file")
  press
  wait_until 10 bash -c '[ "$(stat -c "%i %.9Y" "$1" 2>/dev/null)" != "$2" ]' _ "$rules_file" "$before" ||
    fail "a press did not paste (the rules file was not stamped); the context now: $("$ondrelctl" context 2>&1 | tr '\n' ' ')"
}

# --- pages ---------------------------------------------------------------------------------------

# click_page: a click in the middle of the browser window in front, where the pages put their
# editable area.
click_page() {
  local window
  window=$(xdotool getactivewindow)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT * 2 / 3)) click 1
}

# --- Ondrel's own windows, read through AT-SPI and used with the mouse and keyboard -------------

# open_settings: a second launch brings up the running Ondrel's settings window.
open_settings() {
  "$ondrel" >>"$work/second.out" 2>&1 || fail "a second launch failed"
  wait_until 20 xdotool search --onlyvisible --name '^Ondrel Settings$' >/dev/null ||
    fail "the settings window did not open"
  settings_window=$(xdotool search --onlyvisible --name '^Ondrel Settings$' | head -1)
  xdotool windowactivate --sync "$settings_window" 2>/dev/null || true
  # The window's widgets reach the AT-SPI bus a moment after it maps.
  wait_until 30 has_element "" "" || fail "the settings window is not on the AT-SPI bus"
}

# has_element ROLE NAME: a showing element of Ondrel's with this role and name (any when empty).
has_element() {
  if [ -z "$1" ]; then
    [ -n "$("$syspython" "$here/atspi.py" lines "$ondrel_pid" 2>/dev/null)" ]
  else
    "$syspython" "$here/atspi.py" find "$ondrel_pid" "$1" "$2" >/dev/null 2>&1
  fi
}

# click ROLE NAME: a real mouse click in the middle of Ondrel's element.
click() {
  local at
  wait_until 10 has_element "$1" "$2" || fail "no $1 \"$2\" in Ondrel's windows: $(ui_lines | cut -f1,2 | tr '\t\n' ': ')"
  at=$("$syspython" "$here/atspi.py" find "$ondrel_pid" "$1" "$2")
  # shellcheck disable=SC2086
  xdotool mousemove $at click 1
  sleep 0.3
}

# ui_lines: every showing element of Ondrel's: role, name, text, states (tab-separated).
ui_lines() { "$syspython" "$here/atspi.py" lines "$ondrel_pid" 2>/dev/null; }

# ui_shows ROLE NAME: Ondrel shows this element now (for wait_until).
ui_shows() { has_element "$1" "$2"; }

# element_states ROLE NAME: the states of the first such element ("checked,enabled", ...).
element_states() { ui_lines | awk -F'\t' -v r="$1" -v n="$2" '$1 == r && $2 == n {print $4; exit}'; }

# panel_lines: clicks the tray icon and prints the panel's elements as a screen reader learns of
# them (a popup is announced when shown; it is not among the application's windows).
panel_lines() {
  "$syspython" "$here/atspi.py" shown "$ondrel_pid" 10 >"$work/panel.txt" 2>&1 &
  local listener=$!
  wait_until 10 grep -q '^listening$' "$work/panel.txt" || fail "the AT-SPI listener did not start"
  local icon
  icon=$(xwininfo -tree -id "$tray" | awk '/"ondrel" "Ondrel"/ {print $1; exit}')
  xdotool mousemove --window "$icon" 5 5 click 1
  wait "$listener" || fail "no panel was shown: $(cat "$work/panel.txt")"
  grep -v '^listening$' "$work/panel.txt"
}
