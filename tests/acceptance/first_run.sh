#!/usr/bin/env bash
# A first run: no rules file and no preferences. Ondrel stores Super+Shift+V and grabs it; a
# press then pastes nothing and changes nothing: the key does not reach the window in front, the
# clipboard another program owns stays byte-exact, and no rules file is written.
source "$(dirname "$0")/lib.sh"

[ ! -e "$rules_file" ] && [ ! -e "$prefs_file" ] || fail "the HOME is not fresh"
printf 'the user’s own clipboard\n\t\x01 ✓' >"$work/clipboard.bin"
own_clipboard "$work/clipboard.bin" "text/plain;charset=utf-8"

start_ondrel
grep -q '"KeyboardShortcuts_ondrel": "{\\"carbonKeyCode\\":9,\\"carbonModifiers\\":768}"' "$prefs_file" ||
  fail "the default shortcut was not stored: $(cat "$prefs_file")"
ok "a first run stores Super+Shift+V"

start_zenity "first run"
press
sleep 1
xdotool type "typed"
[ "$(finish_zenity)" = "typed" ] || fail "the window in front got '$(cat "$work/zenity.out")' from the press"
ok "the press is grabbed: the window in front got no key and no text"
clipboard_is "$work/clipboard.bin" "text/plain;charset=utf-8" || fail "the clipboard changed"
ok "the clipboard is byte-exact"
[ ! -e "$rules_file" ] || fail "a rules file was written: $(cat "$rules_file")"
ok "no rules file was written"
stop_ondrel
