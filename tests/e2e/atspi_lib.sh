#!/usr/bin/env bash
# Shared by the AT-SPI end-to-end scripts: a page server, browsers with throw-away profiles,
# polling with deadlines, and clean-up of everything started. Source it; it sets an EXIT trap.

work=$(mktemp -d "${HOME:-/tmp}/atspi-e2e.XXXXXX")
started=()

stop_started() {
  local status=$?
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${started[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  # Chromium's helper processes may still be writing the profile for a moment after the
  # browser itself has gone; a leftover folder must not turn a passing run into a failure.
  rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work" 2>/dev/null; } || true
  exit $status
}
trap stop_started EXIT

# Serves three pages on a free port of 127.0.0.1; sets $base.
start_page_server() {
  mkdir -p "$work/www"
  cat >"$work/www/first.html" <<'HTML'
<!doctype html><title>First page</title><h1>First</h1>
<input type="text" value="typed by the page" aria-label="field">
HTML
  cat >"$work/www/second.html" <<'HTML'
<!doctype html><title>Second page</title><h1>Second</h1>
HTML
  # Like a single-page application: a new address and new content. (Chromium refreshes the
  # document's URL with its next accessibility update; a pushState that changes nothing on
  # the page leaves it at the old address.)
  cat >"$work/www/push.html" <<'HTML'
<!doctype html><title>Push page</title><h1 id="heading">Push</h1>
<script>
setTimeout(() => {
  history.pushState({}, "", "/pushed.html?state=1#done");
  document.getElementById("heading").textContent = "Pushed";
}, 300);
</script>
HTML
  python3 - "$work/www" >"$work/port" 2>"$work/http.log" <<'PY' &
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
  started+=($!)
  local deadline=$((SECONDS + 20))
  until [ -s "$work/port" ]; do
    [ $SECONDS -lt $deadline ] || { echo "page server did not start" >&2; cat "$work/http.log" >&2; exit 1; }
    sleep 0.1
  done
  base="http://127.0.0.1:$(cat "$work/port")"
}

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
JS
  firefox-esr --no-remote --profile "$work/firefox" "$1" >"$work/browser.log" 2>&1 &
  started+=($!)
}

start_chromium() {
  chromium --no-sandbox --user-data-dir="$work/chromium" --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --disable-gpu \
    --force-renderer-accessibility "$1" >"$work/browser.log" 2>&1 &
  started+=($!)
}

# poll_output SECONDS TEXT COMMAND...: runs COMMAND until its output holds the line TEXT (or a
# line ending in it); prints that output. Fails with the last output after SECONDS.
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

# expect_context APP URL SECONDS: `ondrelctl context` reports exactly this app and URL.
expect_context() {
  local app=$1 url=$2 limit=$3 output
  output=$(poll_output "$limit" "url	$url" "$ctl" context) || {
    echo "--- browser log" >&2; tail -20 "$work/browser.log" >&2; exit 1; }
  if ! grep -qxF "app	$app" <<<"$output"; then
    echo "FAIL: expected app $app, got:" >&2
    printf '%s\n' "$output" >&2
    exit 1
  fi
  echo "ok: $app $url"
}

# navigate_to URL: types the address into the focused browser's address bar.
navigate_to() {
  xdotool key --clearmodifiers ctrl+l
  sleep 0.3
  xdotool type --delay 15 "$1"
  xdotool key Return
}
