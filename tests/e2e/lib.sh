#!/usr/bin/env bash
# The shell library of every end-to-end script: a work folder and clean-up of everything
# started, waiting with deadlines, rules files, zenity and xclip as target and clipboard owner,
# a page server that logs each request, browsers with throw-away profiles, and navigation that
# checks it arrived. Source it, then call e2e_init.
#
# Scripts add the pids of what they start to `started`, and may set `probe` (atspi_probe; by
# default $ONDREL_E2E_PROBE) so that navigation and failures can read the browser's address
# field. A script with more to tell on failure defines describe_failure.

started=()
probe=${probe:-${ONDREL_E2E_PROBE:-}}

# e2e_init NAME: makes $work and the EXIT trap that stops everything started and removes it.
e2e_init() {
  work=$(mktemp -d "/tmp/ondrel-$1.XXXXXX")
  trap e2e_cleanup EXIT
}

e2e_cleanup() {
  local status=$?
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  # Chromium's helper processes may still be writing the profile for a moment after the
  # browser itself has gone; a leftover folder must not turn a passing run into a failure.
  rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work" 2>/dev/null; } || true
  exit $status
}

# forget_pid PID: a process the script has ended and waited for itself is not ended again.
forget_pid() {
  local kept=() pid
  for pid in "${started[@]}"; do [ "$pid" = "$1" ] || kept+=("$pid"); done
  started=("${kept[@]}")
}

# fail MESSAGE: says what went wrong, shows what the programs wrote and the address field.
fail() {
  echo "FAIL: $*" >&2
  if declare -F describe_failure >/dev/null; then describe_failure >&2 || true; fi
  local file
  for file in "$work"/*.out "$work"/*.err "$work"/*.log; do
    [ -s "$file" ] && { echo "--- $(basename "$file")" >&2; tail -40 "$file" >&2; }
  done
  local pid
  if [ -n "$probe" ] && pid=$(xdotool getactivewindow getwindowpid 2>/dev/null); then
    echo "--- text fields of the active window (pid $pid)" >&2
    "$probe" text-fields "$pid" >&2 2>/dev/null || true
  fi
  exit 1
}

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds, at most SECONDS, every
# $wait_step seconds (0.1; finer for what follows a paste closely).
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep "${wait_step:-0.1}"
  done
}

# has_lines FILE PATTERN N: FILE has at least N lines matching PATTERN.
has_lines() {
  local n
  n=$(grep -c -- "$2" "$1" 2>/dev/null) || true
  [ "${n:-0}" -ge "$3" ]
}

# poll_output SECONDS TEXT COMMAND...: runs COMMAND until its output holds the line TEXT (or a
# line ending in a tab and TEXT); prints that output, or fails with the last output.
poll_output() {
  local limit=$1 wanted=$2 output=""
  shift 2
  local deadline=$((SECONDS + limit))
  while :; do
    output=$("$@" 2>/dev/null || true)
    if grep -qxF -- "$wanted" <<<"$output" || grep -qF -- "	$wanted" <<<"$output"; then
      printf '%s\n' "$output"
      return 0
    fi
    if [ $SECONDS -ge $deadline ]; then
      echo "FAIL: after ${limit}s, '$*' printed:" >&2
      printf '%s\n' "$output" >&2
      return 1
    fi
    sleep 0.5
  done
}

# --- rules, targets and the clipboard ------------------------------------------------------------

rules_file="${XDG_DATA_HOME:-$HOME/.local/share}/Ondrel/rules.json"

# rule NAME BUNDLE_ID CONTENT [CONTENT_TYPE [URL_PATTERN [MODE [ENABLED]]]]: one rule as JSON.
rule() {
  python3 - "$@" <<'PY'
import json, sys, uuid
name, bundle, content = sys.argv[1:4]
rest = sys.argv[4:] + [""] * 4
record = {
    "id": str(uuid.uuid4()).upper(), "name": name, "bundleID": bundle,
    "appDisplayName": "Any Application" if bundle == "*" else bundle, "content": content,
    "contentType": rest[0] or "plainText", "urlMatchMode": rest[2] or "domain",
    "isEnabled": rest[3] != "false", "createdAt": "2024-01-02T03:04:05Z",
}
if rest[1]:
    record["urlPattern"] = rest[1]
print(json.dumps(record))
PY
}

# write_rules RULE_JSON...: the rules file with these rules, as a user's earlier session left it.
write_rules() {
  mkdir -p "$(dirname "$rules_file")"
  local IFS=,
  printf '{"version":1,"rules":[%s]}\n' "$*" >"$rules_file"
}

# press: the smart-paste shortcut, as the user presses it: the modifiers first and the V a
# moment later (ONDREL_PRESS_GAP_MS, default 60; 0 presses all three at once, as no hand can).
press() {
  local gap=${ONDREL_PRESS_GAP_MS:-60}
  if [ "$gap" -eq 0 ]; then
    xdotool key super+shift+v
    return
  fi
  xdotool keydown super+shift
  sleep "$(awk -v ms="$gap" 'BEGIN { printf "%.3f", ms / 1000 }')"
  xdotool key v keyup super+shift
}

# start_zenity [TITLE]: a zenity entry, in front and focused; sets zenity_pid. What it receives
# goes to $work/zenity.out.
start_zenity() {
  zenity --entry --title "${1:-paste target}" >"$work/zenity.out" 2>"$work/zenity.err" &
  zenity_pid=$!
  started+=($zenity_pid)
  wait_until 20 bash -c '[ "$(xdotool getactivewindow getwindowpid 2>/dev/null)" = "$1" ]' _ "$zenity_pid" ||
    fail "zenity did not come to the front"
  sleep 0.5 # the entry takes the focus a moment after the window
}

# finish_zenity: presses Return and prints what the entry held.
finish_zenity() {
  xdotool key Return
  wait_until 10 bash -c '! kill -0 "$1" 2>/dev/null' _ "$zenity_pid" || fail "zenity did not close"
  cat "$work/zenity.out"
}

# own_clipboard FILE TYPE: xclip owns the clipboard with FILE's bytes as TYPE; sets xclip_pid.
# xclip stays in the foreground, so the pid is the owner's and ends with the script.
own_clipboard() {
  xclip -quiet -selection clipboard -t "$2" -i "$1" >/dev/null 2>&1 &
  xclip_pid=$!
  started+=($xclip_pid)
  wait_until 10 clipboard_is "$1" "$2" || fail "xclip did not take the clipboard"
}

# clipboard_is FILE TYPE: the clipboard's TYPE holds exactly FILE's bytes.
clipboard_is() { xclip -o -selection clipboard -t "$2" 2>/dev/null | cmp -s - "$1"; }

# --- the paste harness ($harness: e2e_harness, or bench/paste_harness for the figures) -----------

# start_harness / stop_harness: the harness, ready once it says so; sets harness_pid.
start_harness() {
  "$harness" >"$work/harness.out" 2>"$work/harness.err" &
  harness_pid=$!
  started+=($harness_pid)
  wait_until 20 has_lines "$work/harness.out" '^ready$' 1 || fail "the harness did not start"
}

stop_harness() {
  kill "$harness_pid" 2>/dev/null || true
  wait "$harness_pid" 2>/dev/null || true
  forget_pid "$harness_pid"
}

# context_is APP [URL]: what a smart paste would see now.
context_is() {
  local seen
  seen=$("$harness" --context 2>>"$work/context.err") || return 1
  grep -qxF "app	$1" <<<"$seen" || return 1
  [ $# -lt 2 ] || grep -qxF "url	$2" <<<"$seen"
}

# press_and_wait N: the Nth press of this harness run; waits until its smart paste ended.
press_and_wait() {
  press
  wait_until 10 has_lines "$work/harness.out" '^matched ' "$1" || fail "press $1 did not paste"
}

# --- pages and browsers ---------------------------------------------------------------------------

# start_page_server: serves $work/www on a free port of 127.0.0.1 and sets $port and $base.
# Every request is logged to $work/http.log; a POST to /report appends "ms<TAB>body" to
# $work/reports.log (pages report what they received there; `reports` prints the bodies).
start_page_server() {
  mkdir -p "$work/www"
  : >"$work/reports.log"
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
    def log_message(self, format, *args):
        sys.stderr.write("%s\n" % (format % args))
        sys.stderr.flush()
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
print(server.server_address[1], flush=True)
server.serve_forever()
PY
  started+=($!)
  wait_until 20 test -s "$work/port" || fail "the page server did not start"
  port=$(cat "$work/port")
  base="http://127.0.0.1:$port"
}

reports() { cut -f2- "$work/reports.log"; }
# reported LINE: a page reported exactly LINE.
reported() { reports | grep -qxF -- "$1"; }

# requests_for PATH: how many times the page server was asked for PATH (e.g. /second.html).
requests_for() {
  grep -cF "\"GET $1 " "$work/http.log" 2>/dev/null || true
}

# start_firefox URL / start_chromium URL [FLAGS...]: the browser with a profile of its own;
# sets browser_pid.
start_firefox() {
  mkdir -p "$work/firefox"
  cat >"$work/firefox/user.js" <<'JS'
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.aboutwelcome.enabled", false);
user_pref("startup.homepage_welcome_url", "");
user_pref("startup.homepage_welcome_url.additional", "");
user_pref("trailhead.firstrun.didSeeAboutWelcome", true);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);
user_pref("datareporting.healthreport.uploadEnabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.auto", false);
user_pref("app.update.enabled", false);
user_pref("app.normandy.enabled", false);
user_pref("extensions.update.enabled", false);
user_pref("browser.sessionstore.resume_from_crash", false);
user_pref("browser.tabs.warnOnClose", false);
user_pref("browser.urlbar.suggest.searches", false);
user_pref("browser.urlbar.autoFill", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
JS
  firefox-esr --no-remote --profile "$work/firefox" "$1" >"$work/browser.log" 2>&1 &
  browser_pid=$!
  started+=($browser_pid)
}

start_chromium() {
  chromium --no-sandbox --user-data-dir="$work/chromium" --no-first-run --no-default-browser-check \
    --disable-background-networking --disable-component-update --disable-sync --disable-gpu \
    --password-store=basic "${@:2}" "$1" >"$work/browser.log" 2>&1 &
  browser_pid=$!
  started+=($browser_pid)
}

# stop_browser: ends the browser and waits for it, so the next one starts alone.
stop_browser() {
  kill "$browser_pid" 2>/dev/null || true
  wait "$browser_pid" 2>/dev/null || true
  forget_pid "$browser_pid"
}

# address_field_holds URL: the active browser window shows URL in a text field (its address
# bar) in full. Without a probe only the page server can tell, so this holds.
address_field_holds() {
  [ -n "$probe" ] || return 0
  local pid
  pid=$(xdotool getactivewindow getwindowpid 2>/dev/null) || return 1
  "$probe" text-fields "$pid" 2>/dev/null | grep -qF -- "field	$1"
}

# navigate_to URL: loads URL (on the page server) in the active browser window. Keystrokes
# can arrive in pieces while a browser moves its start-up focus, so the address field must
# hold the whole URL before Return, and the server must see the request; up to three tries.
navigate_to() {
  local url=$1 path="/${1#http://*/}" before attempt
  for attempt in 1 2 3; do
    before=$(requests_for "$path")
    xdotool key --clearmodifiers ctrl+l
    sleep 0.3
    xdotool key --clearmodifiers ctrl+a
    xdotool type --clearmodifiers --delay 15 "$url"
    if wait_until 5 address_field_holds "$url"; then
      xdotool key --clearmodifiers Return
      if wait_until 20 bash -c '[ "$(grep -cF "\"GET $1 " "$2")" -gt "$3" ]' _ \
        "$path" "$work/http.log" "$before"; then
        return 0
      fi
    else
      xdotool key --clearmodifiers Escape
    fi
    echo "navigation to $url: attempt $attempt did not arrive; trying again" >&2
    sleep 1
  done
  fail "the browser did not load $url"
}
