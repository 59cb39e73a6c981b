#!/usr/bin/env bash
# Rules made in the settings window with the mouse and keyboard (xdotool on the real window): one
# for any application and one for zenity, chosen among the running applications. A press in
# zenity pastes the zenity rule, in xterm the any-application rule; the file on disk is what
# `ondrelctl check` reads; the panel counts "2 active rules" and names the rule used last.
source "$(dirname "$0")/lib.sh"
command -v xterm >/dev/null || fail "xterm is not installed"

# Zenity runs first, so the application picker lists it among the running applications.
start_zenity "rules target"
start_ondrel
open_settings

# edit_rule NAME CONTENT: types into the selected rule's editor and saves it.
edit_rule() {
  click "text" "Rule Name"
  xdotool key ctrl+a
  xdotool type --delay 10 "$1"
  click "text" "Content"
  xdotool type --delay 10 "$2"
  click "push button" "Save"
}

click "push button" "Add Rule"
edit_rule "Everywhere" "any application text"
wait_until 10 grep -q '"Everywhere"' "$rules_file" || fail "the first rule was not saved"

click "push button" "Add Rule"
click "push button" "Change..."
click "text" "Search running apps"
xdotool type --delay 10 "zenity"
wait_until 10 bash -c '"$1" "$2" find-like "$3" "list item" zenity >/dev/null' _ \
  "$syspython" "$here/atspi.py" "$ondrel_pid" || fail "zenity is not among the running applications: $(ui_lines | cut -f1,2 | tr '\t\n' ': ')"
# shellcheck disable=SC2046
xdotool mousemove $("$syspython" "$here/atspi.py" find-like "$ondrel_pid" "list item" zenity) click 1
sleep 0.5
edit_rule "For zenity" "zenity text"
wait_until 10 grep -q '"For zenity"' "$rules_file" || fail "the second rule was not saved"
ok "two rules made in the settings window"

check=$("$ondrelctl" check "$rules_file") || fail "ondrelctl rejects the file Ondrel wrote"
[ "$check" = "2 rules" ] || fail "ondrelctl check says '$check'"
"$syspython" - "$rules_file" <<'PY' || fail "the rules on disk are not the ones made: $(cat "$rules_file")"
import json, sys
rules = json.load(open(sys.argv[1]))["rules"]
assert [(r["name"], r["content"], r["isEnabled"]) for r in rules] == [
    ("Everywhere", "any application text", True), ("For zenity", "zenity text", True)], rules
assert rules[0]["bundleID"] == "*" and rules[1]["bundleID"] not in ("*", ""), rules
PY
ok "ondrelctl check reads the two rules Ondrel wrote"
xdotool windowclose "$settings_window" 2>/dev/null || true

xdotool windowactivate --sync "$(xdotool search --pid "$zenity_pid" --onlyvisible | head -1)" 2>/dev/null || true
sleep 0.5
press_and_wait_save
[ "$(finish_zenity)" = "zenity text" ] || fail "zenity got '$(cat "$work/zenity.out")'"
ok "in zenity the zenity rule pastes"

# xterm has no clipboard paste key of its own; its users give Ctrl+V that meaning like this.
xterm -title "rules xterm" -xrm 'XTerm*VT100.translations: #override Ctrl<Key>V: insert-selection(CLIPBOARD)' \
  -e sh -c "cat >'$work/xterm.txt'" &
xterm_pid=$!
started+=($xterm_pid)
wait_until 20 bash -c '[ "$(xdotool getactivewindow getwindowpid 2>/dev/null)" = "$1" ]' _ "$xterm_pid" ||
  fail "xterm did not come to the front"
sleep 0.5
press_and_wait_save
sleep 0.3
xdotool key Return ctrl+d
wait_until 10 bash -c '! kill -0 "$1" 2>/dev/null' _ "$xterm_pid" || fail "xterm did not close"
[ "$(cat "$work/xterm.txt")" = "any application text" ] || fail "xterm got '$(cat "$work/xterm.txt")'"
ok "in xterm the any-application rule pastes"

# The panel, as a screen reader reads it.
panel=$(panel_lines | cut -f1,2)
grep -qxF "label	2 active rules" <<<"$panel" || fail "the panel does not read \"2 active rules\": $panel"
grep -qxF "label	Last: Everywhere" <<<"$panel" || fail "the panel does not read \"Last: Everywhere\": $panel"
ok "the panel reads \"2 active rules\" and \"Last: Everywhere\""
xdotool key Escape
stop_ondrel
