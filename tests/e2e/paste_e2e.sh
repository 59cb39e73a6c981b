#!/usr/bin/env bash
# The smart paste end to end, on a real X server with programs we did not write. Run it inside
# the desktop session:
#   tests/e2e/run-in-desktop.sh -- tests/e2e/paste_e2e.sh path/to/paste_harness [PRESSES]
# Checks, each press made with xdotool (Super+Shift+V):
#   - a rule for zenity's ID pastes into a zenity entry, PRESSES times in a row, and the
#     clipboard that xclip owned before is byte-exact afterwards;
#   - a richText rule pastes its plain text into zenity;
#   - a Firefox ESR domain rule for 127.0.0.1 pastes into a textarea of a page served here
#     (the page reports every change to the server), and the same page under another host
#     name gets nothing.
# With ONDREL_FIGURES_DIR set, the harness's outputs and the page's reports are kept there
# for bench/paste_figures.sh. ONDREL_E2E_PROBE (atspi_probe) lets navigation read the address.
set -euo pipefail

harness=${1:?usage: paste_e2e.sh HARNESS [PRESSES]}
presses=${2:-20}
probe=${ONDREL_E2E_PROBE:-}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
[ -n "${DISPLAY:-}" ] || { echo "paste_e2e.sh: no DISPLAY; run it inside run-in-desktop.sh" >&2; exit 64; }
for tool in xdotool xclip zenity firefox-esr python3; do
  command -v "$tool" >/dev/null || { echo "paste_e2e.sh: $tool is not installed" >&2; exit 69; }
done
export ONDREL_PLATFORM=x11

e2e_init "paste"
harness_pid=""
stop_harness_at_exit() {
  local status=$?
  [ -z "$harness_pid" ] || kill "$harness_pid" 2>/dev/null || true
  (exit $status)
  e2e_cleanup
}
trap stop_harness_at_exit EXIT

count_lines() { grep -c -- "$2" "$1" 2>/dev/null || true; }
has_lines() { [ "$(count_lines "$1" "$2")" -ge "$3" ]; }

rules_file="$XDG_DATA_HOME/Ondrel/rules.json"

# write_rules JSON...: one rule object per argument, made by rule().
write_rules() {
  mkdir -p "$(dirname "$rules_file")"
  local IFS=,
  printf '{"version":1,"rules":[%s]}\n' "$*" >"$rules_file"
}

# rule NAME BUNDLE_ID CONTENT [CONTENT_TYPE [URL_PATTERN [MODE]]]: one rule as JSON.
rule() {
  python3 - "$@" <<'PY'
import json, sys, uuid
name, bundle, content = sys.argv[1:4]
rest = sys.argv[4:] + [None, None, None]
record = {
    "id": str(uuid.uuid4()).upper(), "name": name, "bundleID": bundle,
    "appDisplayName": bundle, "content": content,
    "contentType": rest[0] or "plainText", "urlMatchMode": rest[2] or "domain",
    "isEnabled": True, "createdAt": "2024-01-02T03:04:05Z",
}
if rest[1]:
    record["urlPattern"] = rest[1]
print(json.dumps(record))
PY
}

start_harness() {
  : >"$work/harness.out"
  "$harness" >"$work/harness.out" 2>"$work/harness.err" &
  harness_pid=$!
  wait_until 20 has_lines "$work/harness.out" '^ready$' 1 || fail "the harness did not start"
}

stop_harness() {
  kill "$harness_pid" 2>/dev/null || true
  wait "$harness_pid" 2>/dev/null || true
  harness_pid=""
  cat "$work/harness.out" >>"$work/all-harness.out"
}

# context_is APP [URL]: what a smart paste would see now.
context_is() {
  local seen
  seen=$("$harness" --context 2>/dev/null) || return 1
  grep -qxF "app	$1" <<<"$seen" || return 1
  [ $# -lt 2 ] || grep -qxF "url	$2" <<<"$seen"
}

# press_and_wait N: the Nth press of this harness run; waits until its smart paste ended.
press_and_wait() {
  xdotool key super+shift+v
  wait_until 10 has_lines "$work/harness.out" '^matched ' "$1" || fail "press $1 did not paste"
}

start_zenity() {
  zenity --entry --title "paste target" >"$work/zenity.out" 2>"$work/zenity.err" &
  zenity_pid=$!
  started+=($zenity_pid)
  wait_until 20 context_is "wmclass:Zenity" || fail "zenity did not come to the front"
  sleep 0.5 # let the entry take the focus
}

finish_zenity() {
  xdotool key Return
  wait_until 10 bash -c "! kill -0 $zenity_pid 2>/dev/null" || fail "zenity did not close"
  cat "$work/zenity.out"
}

# --- zenity: plain text, repeated presses, the previous clipboard byte-exact -----------------

head -c 300000 /dev/urandom >"$work/previous.bin"
xclip -selection clipboard -t application/x-ondrel-test -i "$work/previous.bin"
wait_until 10 bash -c "xclip -o -selection clipboard -t application/x-ondrel-test 2>/dev/null | cmp -s - '$work/previous.bin'" \
  || fail "xclip did not take the clipboard"

text="Hello from Ondrel ✓ "
write_rules "$(rule "Zenity text" "wmclass:Zenity" "$text")"
start_harness
start_zenity
for ((i = 1; i <= presses; i++)); do
  press_and_wait "$i"
done
sleep 0.3
xclip -o -selection clipboard -t application/x-ondrel-test >"$work/after.bin" 2>"$work/xclip.err" \
  || fail "the previous clipboard's type is gone"
cmp -s "$work/previous.bin" "$work/after.bin" || fail "the previous clipboard came back changed"
echo "ok - the clipboard xclip owned is byte-exact after $presses pastes"
expected=$(python3 -c 'import sys; print(sys.argv[1] * int(sys.argv[2]), end="")' "$text" "$presses")
got=$(finish_zenity)
[ "$got" = "${expected%" "}" ] || [ "$got" = "$expected" ] || fail "zenity received '$got'"
echo "ok - zenity received the rule's text $presses times"
keep_figures() { [ -z "${ONDREL_FIGURES_DIR:-}" ] || cp "$work/$1" "$ONDREL_FIGURES_DIR/$2"; }
keep_figures harness.out zenity.out
stop_harness

# --- zenity: a richText rule gives its plain text ------------------------------------------

write_rules "$(rule "Rich" "wmclass:Zenity" '{\rtf1\ansi\ansicpg1252 Caf\'"'"'e9 {\b cr\'"'"'e8me} \u8364?5}' richText)"
start_harness
start_zenity
press_and_wait 1
got=$(finish_zenity)
[ "$got" = "Café crème €5" ] || fail "zenity received '$got' from the RTF rule"
echo "ok - a richText rule pastes its plain text"
stop_harness

# --- Firefox ESR: a domain rule on 127.0.0.1, and a URL that does not match -----------------

mkdir -p "$work/www"
cat >"$work/www/paste.html" <<'HTML'
<!doctype html><title>Paste target</title>
<style>html,body{margin:0;height:100%}textarea{width:100%;height:100%;box-sizing:border-box}</style>
<textarea id="target" autofocus></textarea>
<script>
const target = document.getElementById("target");
target.addEventListener("input", () => {
  fetch("/report", {method: "POST", body: location.host + "\t" + target.value});
});
</script>
HTML
start_page_server
page="http://127.0.0.1:$port/paste.html"
ffText="Firefox rule text|"
write_rules "$(rule "Local page" "firefox-esr" "$ffText" plainText "127.0.0.1" domain)"
start_harness
start_firefox "$page"
wait_until 120 context_is "firefox-esr" "$page" || fail "Firefox did not show the page"

# Put the keyboard focus into the textarea, which fills the page.
click_page() {
  local window
  window=$(xdotool getactivewindow)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT * 2 / 3)) click 1
  sleep 0.5
}
click_page
for ((i = 1; i <= presses; i++)); do
  press_and_wait "$i"
  wanted=$(python3 -c 'import sys; print(sys.argv[1] * int(sys.argv[2]), end="")' "$ffText" "$i")
  wait_until 10 grep -qF "127.0.0.1:$port	$wanted" "$work/reports.log" \
    || fail "the page did not receive press $i"
done
echo "ok - a Firefox domain rule pastes into the page $presses times"
keep_figures harness.out firefox.out
keep_figures reports.log firefox-reports.log

other="http://localhost:$port/paste.html"
navigate_to "$other"
wait_until 30 context_is "firefox-esr" "$other" || fail "Firefox did not navigate to $other"
click_page
matchedBefore=$(count_lines "$work/harness.out" '^matched ')
pressesBefore=$(count_lines "$work/harness.out" '^press ')
xdotool key super+shift+v
wait_until 10 has_lines "$work/harness.out" '^press ' $((pressesBefore + 1)) || fail "the press was not seen"
sleep 3
[ "$(count_lines "$work/harness.out" '^matched ')" = "$matchedBefore" ] || fail "a rule matched $other"
! grep -qF "localhost:$port	" "$work/reports.log" || fail "something was pasted into $other"
echo "ok - a URL the rule does not match gets nothing"
stop_harness
echo "PASS"
