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
# shellcheck source=atspi_lib.sh
source "$here/atspi_lib.sh"

start_page_server
case "$browser" in
  firefox) app_id=firefox-esr; start_firefox "$base/first.html" ;;
  chromium) app_id=chromium; start_chromium "$base/first.html" ;;
  *) echo "unknown browser $browser" >&2; exit 64 ;;
esac

expect_context "$app_id" "$base/first.html" 120

# The element reads: the page's text field is found in the focused window with its value.
browser_pid=$(xdotool getactivewindow getwindowpid)
fields=$(poll_output 30 "typed by the page" "$probe" text-fields "$browser_pid")
echo "text fields of the focused window:"
echo "$fields"

navigate_to "$base/second.html"
expect_context "$app_id" "$base/second.html" 30

navigate_to "$base/push.html"
expect_context "$app_id" "$base/pushed.html?state=1#done" 30

echo "PASS: $browser"
