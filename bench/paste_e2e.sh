#!/usr/bin/env bash
# The presses behind paste_figures.sh, on a real X server with programs we did not write. Run it
# inside the desktop session:
#   tests/e2e/run-in-desktop.sh -- bench/paste_e2e.sh path/to/paste_harness [PRESSES]
# Each press is made with xdotool (Super+Shift+V), and the run stops at the first press that
# did not paste, so that no figure comes from a paste that failed:
#   - a rule for zenity's ID pastes into a zenity entry, PRESSES times in a row, and the
#     clipboard that xclip owned before is byte-exact afterwards;
#   - a Firefox ESR domain rule for 127.0.0.1 pastes into a textarea of a page served here
#     (the page reports every change to the server), PRESSES times.
# With ONDREL_FIGURES_DIR set, the harness's outputs and the page's reports are kept there.
# ONDREL_E2E_PROBE (atspi_probe) lets navigation read the address field.
set -euo pipefail

harness=${1:?usage: paste_e2e.sh HARNESS [PRESSES]}
presses=${2:-20}
probe=${ONDREL_E2E_PROBE:-}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../tests/e2e/lib.sh
source "$here/../tests/e2e/lib.sh"
[ -n "${DISPLAY:-}" ] || { echo "paste_e2e.sh: no DISPLAY; run it inside run-in-desktop.sh" >&2; exit 64; }
for tool in xdotool xclip zenity firefox-esr python3; do
  command -v "$tool" >/dev/null || { echo "paste_e2e.sh: $tool is not installed" >&2; exit 69; }
done
export ONDREL_PLATFORM=x11

e2e_init "paste"

# --- zenity: plain text, repeated presses, the previous clipboard byte-exact -----------------

head -c 300000 /dev/urandom >"$work/previous.bin"
own_clipboard "$work/previous.bin" application/x-ondrel-test

text="Hello from Ondrel ✓ "
write_rules "$(rule "Zenity text" "wmclass:Zenity" "$text")"
start_harness
start_zenity
for ((i = 1; i <= presses; i++)); do
  press_and_wait "$i"
done
sleep 0.3
clipboard_is "$work/previous.bin" application/x-ondrel-test || fail "the previous clipboard came back changed"
echo "ok - the clipboard xclip owned is byte-exact after $presses pastes"
expected=$(python3 -c 'import sys; print(sys.argv[1] * int(sys.argv[2]), end="")' "$text" "$presses")
got=$(finish_zenity)
[ "$got" = "${expected%" "}" ] || [ "$got" = "$expected" ] || fail "zenity received '$got'"
echo "ok - zenity received the rule's text $presses times"
keep_figures() { [ -z "${ONDREL_FIGURES_DIR:-}" ] || cp "$work/$1" "$ONDREL_FIGURES_DIR/$2"; }
keep_figures harness.out zenity.out
stop_harness

# --- Firefox ESR: a domain rule on 127.0.0.1 ---------------------------------------------

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
# The keyboard focus into the textarea, which fills the page.
window=$(xdotool getactivewindow)
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT * 2 / 3)) click 1
sleep 0.5
for ((i = 1; i <= presses; i++)); do
  press_and_wait "$i"
  wanted=$(python3 -c 'import sys; print(sys.argv[1] * int(sys.argv[2]), end="")' "$ffText" "$i")
  wait_until 10 grep -qF "127.0.0.1:$port	$wanted" "$work/reports.log" \
    || fail "the page did not receive press $i"
done
echo "ok - a Firefox domain rule pastes into the page $presses times"
keep_figures harness.out firefox.out
keep_figures reports.log firefox-reports.log

stop_harness
echo "PASS"
