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

work=$(mktemp -d /tmp/ondrel-accept.XXXXXX)
rules_file="$XDG_DATA_HOME/Ondrel/rules.json"
prefs_file="$XDG_CONFIG_HOME/Ondrel/preferences.json"
started=()
ondrel_pid=""

cleanup() {
  local status=$?
  local pid
  for pid in $ondrel_pid "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in $ondrel_pid "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work" 2>/dev/null; } || true
  exit $status
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  local file
  for file in "$work"/*.out "$work"/*.err "$work"/*.log; do
    [ -s "$file" ] && { echo "--- $(basename "$file")" >&2; tail -30 "$file" >&2; }
  done
  exit 1
}
ok() { echo "ok - $*"; }

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds, at most SECONDS.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# --- rules --------------------------------------------------------------------------------------

# rule NAME BUNDLE_ID CONTENT [CONTENT_TYPE [URL_PATTERN [MODE [ENABLED]]]]: one rule as JSON.
rule() {
  "$syspython" - "$@" <<'PY'
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
  ondrel_pid=""
  [ "$status" = 0 ] || fail "ondrel ended with status $status on SIGTERM"
}

press() { xdotool key super+shift+v; }

# press_and_wait_save: one press, then waits until the store has stamped the rule used, which
# happens once the paste engine has put the previous clipboard back.
press_and_wait_save() {
  local before
  before=$(file_stamp "$rules_file")
  press
  wait_until 10 bash -c '[ "$(stat -c "%i %.9Y" "$1" 2>/dev/null)" != "$2" ]' _ "$rules_file" "$before" ||
    fail "a press did not paste (the rules file was not stamped); the context now: $("$ondrelctl" context 2>&1 | tr '\n' ' ')"
}

# --- targets and observers: programs we did not write -------------------------------------------

frontmost_pid() { xdotool getactivewindow getwindowpid 2>/dev/null; }

# start_zenity TITLE: a zenity entry, in front and focused; sets zenity_pid.
start_zenity() {
  zenity --entry --title "$1" >"$work/zenity.txt" 2>"$work/zenity.err" &
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
  cat "$work/zenity.txt"
}

# own_clipboard FILE TYPE: xclip owns the clipboard with FILE's bytes as TYPE.
own_clipboard() {
  xclip -selection clipboard -t "$2" -i "$1" >/dev/null 2>"$work/xclip.err" &
  started+=($!)
  wait_until 10 clipboard_is "$1" "$2" || fail "xclip did not take the clipboard"
}

# clipboard_is FILE TYPE: the clipboard's TYPE holds exactly FILE's bytes.
clipboard_is() {
  xclip -o -selection clipboard -t "$2" 2>/dev/null | cmp -s - "$1"
}

# --- pages and browsers -------------------------------------------------------------------------

# start_page_server: serves $work/www on a free port of 127.0.0.1 (sets $port). A page reports
# to it with POST /report; every report is one line of $work/reports.txt.
start_page_server() {
  mkdir -p "$work/www"
  "$syspython" - "$work/www" "$work/reports.txt" >"$work/port" 2>"$work/http.log" <<'PY' &
import functools, http.server, sys
folder, reports = sys.argv[1], sys.argv[2]
class Handler(http.server.SimpleHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0))).decode()
        with open(reports, "a") as log:
            log.write(body.replace("\n", "\\n") + "\n")
        self.send_response(204)
        self.end_headers()
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
print(server.server_address[1], flush=True)
server.serve_forever()
PY
  started+=($!)
  wait_until 20 test -s "$work/port" || fail "the page server did not start"
  port=$(cat "$work/port")
  touch "$work/reports.txt"
}

# reported LINE: the pages reported exactly LINE.
reported() { grep -qxF -- "$1" "$work/reports.txt"; }

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
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.auto", false);
user_pref("app.normandy.enabled", false);
user_pref("extensions.update.enabled", false);
user_pref("browser.sessionstore.resume_from_crash", false);
user_pref("browser.tabs.warnOnClose", false);
user_pref("browser.urlbar.suggest.searches", false);
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
    --password-store=basic "$1" >"$work/browser.log" 2>&1 &
  browser_pid=$!
  started+=($browser_pid)
}

# stop_browser: ends the browser and waits for it, so the next one starts alone.
stop_browser() {
  kill "$browser_pid" 2>/dev/null || true
  wait "$browser_pid" 2>/dev/null || true
}

# open_in_tab URL: types URL into the address bar of the browser in front.
open_in_tab() {
  xdotool key ctrl+l
  sleep 0.3
  xdotool type --delay 5 "$1"
  xdotool key Return
}

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
