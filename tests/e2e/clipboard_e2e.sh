#!/usr/bin/env bash
# The smart paste beside other users of the clipboard, on a real X server. Run it inside the
# desktop session:
#   tests/e2e/run-in-desktop.sh -- tests/e2e/clipboard_e2e.sh path/to/e2e_harness
# Checks, each press made with xdotool (Super+Shift+V):
#   - a copy made right after the press (xclip takes the clipboard) is still there, byte-exact,
#     2 s later: the restore never overwrites it;
#   - with CopyQ reading every new clipboard at once, a target that reads the paste late still
#     gets the rule's text, and the clipboard xclip owned before comes back byte-exact;
#   - a rule pasted into xfce4-terminal arrives (terminals paste with Ctrl+Shift+V);
#   - with assistive technologies switched off while it runs a press does not paste, and once
#     they are on again it does.
set -euo pipefail

harness=${1:?usage: clipboard_e2e.sh HARNESS}
[ -n "${DISPLAY:-}" ] || { echo "clipboard_e2e.sh: no DISPLAY; run it inside run-in-desktop.sh" >&2; exit 64; }
for tool in xdotool xclip zenity copyq xfce4-terminal gdbus python3; do
  command -v "$tool" >/dev/null || { echo "clipboard_e2e.sh: $tool is not installed" >&2; exit 69; }
done
export ONDREL_PLATFORM=linux
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init clipboard
# A stopped program only ends once it runs again; CopyQ's server outlives its client.
clipboard_cleanup() {
  local status=$?
  copyq exit >/dev/null 2>&1 || true
  for pid in "${started[@]}"; do kill -CONT "$pid" 2>/dev/null || true; done
  (exit $status)
  e2e_cleanup
}
trap clipboard_cleanup EXIT

# The rules, read once when the harness starts: one plain-text rule per application.
write_rules "$(rule "wmclass:Zenity" "wmclass:Zenity" "rule text")" \
  "$(rule "xfce4-terminal" "xfce4-terminal" "echo from Ondrel")"

start_harness

# --- a copy made during the paste wins over the restore --------------------------------------

head -c 2000 /dev/urandom >"$work/previous.bin"
head -c 3000 /dev/urandom >"$work/newer.bin"
own_clipboard "$work/previous.bin" application/x-ondrel-previous
start_zenity
press
wait_step=0.02 wait_until 10 has_lines "$work/harness.out" '^keystroke$' 1 || fail "the press did not paste"
xclip -quiet -selection clipboard -t application/x-ondrel-newer -i "$work/newer.bin" >/dev/null 2>&1 &
newer_pid=$!
started+=($newer_pid)
wait_until 10 has_lines "$work/harness.out" '^matched ' 1 || fail "the paste did not end"
sleep 2
kill -0 "$newer_pid" 2>/dev/null || fail "the restore took the clipboard from the newer copy"
clipboard_is "$work/newer.bin" application/x-ondrel-newer || fail "the newer copy changed"
finish_zenity >/dev/null
echo "ok - a copy made right after the press still owns the clipboard 2 s later, byte-exact"

# --- a clipboard manager reads at once; the late target still gets the rule's text ------------

copyq --start-server >"$work/copyq.out" 2>&1 &
started+=($!)
wait_until 20 copyq count >/dev/null 2>&1 || fail "CopyQ did not start"
own_clipboard "$work/previous.bin" application/x-ondrel-previous
start_zenity
# A stopped zenity reads the paste only once it runs again, long after CopyQ has read it.
kill -STOP "$zenity_pid"
press
wait_until 10 has_lines "$work/harness.out" '^keystroke$' 2 || fail "the press did not paste"
sleep 0.6
kill -CONT "$zenity_pid"
wait_until 10 has_lines "$work/harness.out" '^matched ' 2 || fail "the paste did not end"
got=$(finish_zenity)
[ "$got" = "rule text" ] || fail "the late target received '$got'"
wait_until 5 bash -c 'copyq read 0 1 2 | grep -q "rule text"' || fail "CopyQ never read the paste"
sleep 0.3
clipboard_is "$work/previous.bin" application/x-ondrel-previous \
  || fail "the previous clipboard did not come back byte-exact"
echo "ok - with CopyQ running, a late target gets the rule's text and the old clipboard comes back"

# --- terminals paste with Ctrl+Shift+V -------------------------------------------------------

xfce4-terminal --disable-server -x sh -c "cat >'$work/terminal.txt'" 2>"$work/terminal.err" &
started+=($!)
wait_until 20 context_is "xfce4-terminal" || fail "xfce4-terminal did not come to the front"
sleep 0.5
press
wait_until 10 has_lines "$work/harness.out" '^matched ' 3 || fail "the paste did not end"
xdotool key Return
wait_until 10 grep -qxF "echo from Ondrel" "$work/terminal.txt" \
  || fail "the terminal received '$(cat "$work/terminal.txt")'"
echo "ok - a rule pastes into xfce4-terminal"

# --- trust follows the desktop's switch for assistive technologies while running -------------

set_assistive() {
  gdbus call --session -d org.a11y.Bus -o /org/a11y/bus -m org.freedesktop.DBus.Properties.Set \
    org.a11y.Status IsEnabled "<$1>" >/dev/null
}
start_zenity
set_assistive false
sleep 0.3
press
wait_until 10 has_lines "$work/harness.out" '^matched ' 4 || fail "the press was not handled"
has_lines "$work/harness.out" '^keystroke$' 4 && fail "a press pasted with assistive technologies off"
set_assistive true
sleep 0.3
press
wait_until 10 has_lines "$work/harness.out" '^keystroke$' 4 || fail "no paste once they were on again"
[ "$(finish_zenity)" = "rule text" ] || fail "zenity received '$(cat "$work/zenity.out")'"
echo "ok - a press follows assistive technologies being switched off and on again"
