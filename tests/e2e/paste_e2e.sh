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
# Prints figures (medians over the presses): press to text, time above the fixed 50 ms
# before the keystroke, the longest main-thread block during a paste, and the rules file's
# save that stamps the rule afterwards.
set -euo pipefail

harness=${1:?usage: paste_e2e.sh HARNESS [PRESSES]}
presses=${2:-20}
[ -n "${DISPLAY:-}" ] || { echo "paste_e2e.sh: no DISPLAY; run it inside run-in-desktop.sh" >&2; exit 64; }
for tool in xdotool xclip zenity firefox-esr python3; do
  command -v "$tool" >/dev/null || { echo "paste_e2e.sh: $tool is not installed" >&2; exit 69; }
done
export ONDREL_PLATFORM=x11

work=$(mktemp -d /tmp/ondrel-paste.XXXXXX)
pids=()
harness_pid=""
cleanup() {
  local status=$?
  [ -z "$harness_pid" ] || kill "$harness_pid" 2>/dev/null || true
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}" $harness_pid; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for file in "$work"/*.out "$work"/*.err "$work"/*.log; do
    [ -s "$file" ] && { echo "--- $(basename "$file")" >&2; tail -40 "$file" >&2; }
  done
  exit 1
}

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds, at most SECONDS.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}
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
  pids+=($zenity_pid)
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
cp "$work/harness.out" "$work/zenity-figures.out"
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

mkdir -p "$work/www" "$work/firefox"
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
python3 - "$work/www" "$work/reports.log" >"$work/port" 2>"$work/http.log" <<'PY' &
import functools, http.server, sys, time
folder, reports = sys.argv[1], sys.argv[2]
class Handler(http.server.SimpleHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0))).decode()
        with open(reports, "a") as log:
            log.write("%d\t%s\n" % (time.time() * 1000, body.replace("\n", "\\n")))
        self.send_response(204)
        self.end_headers()
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
print(server.server_address[1], flush=True)
server.serve_forever()
PY
pids+=($!)
wait_until 20 test -s "$work/port" || fail "the page server did not start"
port=$(cat "$work/port")
: >"$work/reports.log"

cat >"$work/firefox/user.js" <<'JS'
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.aboutwelcome.enabled", false);
user_pref("startup.homepage_welcome_url", "");
user_pref("trailhead.firstrun.didSeeAboutWelcome", true);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.auto", false);
user_pref("app.normandy.enabled", false);
user_pref("browser.sessionstore.resume_from_crash", false);
user_pref("browser.tabs.warnOnClose", false);
JS
page="http://127.0.0.1:$port/paste.html"
ffText="Firefox rule text|"
write_rules "$(rule "Local page" "firefox-esr" "$ffText" plainText "127.0.0.1" domain)"
start_harness
firefox-esr --no-remote --profile "$work/firefox" "$page" >"$work/browser.log" 2>&1 &
pids+=($!)
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
cp "$work/harness.out" "$work/firefox-figures.out"
cp "$work/reports.log" "$work/firefox-reports.log"

other="http://localhost:$port/paste.html"
xdotool key --clearmodifiers ctrl+l
sleep 0.3
xdotool type --delay 15 "$other"
xdotool key Return
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

# --- figures ---------------------------------------------------------------------------------

python3 - "$work/zenity-figures.out" "$work/firefox-figures.out" "$work/firefox-reports.log" "$port" <<'PY'
import statistics, sys

def events(path):
    presses, rows = [], []
    for line in open(path):
        kind, _, rest = line.rstrip("\n").partition(" ")
        if kind == "press":
            presses.append(int(rest))
            rows.append({})
        elif rows and kind in ("keystroke", "requested", "stall", "save", "matched"):
            rows[-1].setdefault(kind, float(rest.split(" ")[0]))
        elif rows and kind == "call":
            call, took = rest.split(" ")
            calls.setdefault(call, []).append(float(took))
    return presses, rows

calls = {}

def median(values):
    return statistics.median(values) if values else float("nan")

zPresses, zRows = events(sys.argv[1])
fPresses, fRows = events(sys.argv[2])
reports = []
for line in open(sys.argv[3]):
    stamp, host, _ = line.rstrip("\n").split("\t", 2)
    if host.startswith("127.0.0.1:"):
        reports.append(int(stamp))
# The first report after each press is that press's text arriving in the page.
fLatency = []
for pressed in fPresses:
    later = [r for r in reports if r >= pressed]
    if later:
        fLatency.append(min(later) - pressed)

print("figures (medians over %d presses each):" % len(zRows))
print("  zenity:  press to text (target read the clipboard) %.1f ms" % median([r["requested"] for r in zRows if "requested" in r]))
print("  firefox: press to text (page reported the change)  %.1f ms" % median(fLatency))
print("  time above the fixed 50 ms before the keystroke: zenity %.1f ms, firefox %.1f ms" % (
    median([r["keystroke"] - 50 for r in zRows if "keystroke" in r]),
    median([r["keystroke"] - 50 for r in fRows if "keystroke" in r])))
stalls = [r["stall"] for r in zRows + fRows if "stall" in r]
print("  longest main-thread block from press to stamp: median %.1f ms, worst %.1f ms" % (median(stalls), max(stalls) if stalls else float("nan")))
saves = [r["save"] for r in zRows + fRows if "save" in r]
for call, took in sorted(calls.items()):
    print("  main-thread call %-10s median %.1f ms, worst %.1f ms" % (call, median(took), max(took)))
print("  rules file save after the stamp (main thread): median %.1f ms, worst %.1f ms" % (median(saves), max(saves) if saves else float("nan")))
PY
