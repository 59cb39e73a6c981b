#!/usr/bin/env bash
# End to end: a real browser shows pages served on 127.0.0.1, and `ondrelctl context` (the
# paste's own detector over AT-SPI) must report the browser's application ID and the current
# tab's URL: after start, after typing a new address, and after history.pushState. The
# element reads are checked on the same window: the page's text field must be readable.
#
#   run-in-desktop.sh -- atspi_browser_url.sh firefox|chromium ONDRELCTL ATSPI_PROBE
set -euo pipefail

browser=$1
ctl=$2
probe=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init "atspi-url"

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
start_page_server
case "$browser" in
  firefox) app_id=firefox-esr; start_firefox "$base/first.html" ;;
  chromium) app_id=chromium; start_chromium "$base/first.html" --force-renderer-accessibility ;;
  *) echo "unknown browser $browser" >&2; exit 64 ;;
esac

# expect_context URL SECONDS: `ondrelctl context` reports exactly this browser and URL.
expect_context() {
  local output
  output=$(poll_output "$2" "url	$1" "$ctl" context) || fail "no context with $1"
  grep -qxF "app	$app_id" <<<"$output" || fail "expected app $app_id, got: $output"
  echo "ok: $app_id $1"
}

expect_context "$base/first.html" 120

# The element reads: the page's text field is found in the focused window with its value.
browser_pid=$(xdotool getactivewindow getwindowpid)
fields=$(poll_output 30 "typed by the page" "$probe" text-fields "$browser_pid") \
  || fail "the page's text field was not read"
echo "text fields of the focused window:"
echo "$fields"

navigate_to "$base/second.html"
expect_context "$base/second.html" 30

navigate_to "$base/push.html"
expect_context "$base/pushed.html?state=1#done" 30

echo "PASS: $browser"
