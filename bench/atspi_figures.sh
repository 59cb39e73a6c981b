#!/usr/bin/env bash
# Prints the figures of the AT-SPI URL look-up: the first (cold) look-up and the median of 20
# warm ones, in Firefox ESR and in Chromium showing a page served on 127.0.0.1.
#
#   tests/e2e/run-in-desktop.sh -- bench/atspi_figures.sh ATSPI_URL_BENCH ATSPI_PROBE
set -euo pipefail

bench=$1
probe=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../tests/e2e/lib.sh
source "$here/../tests/e2e/lib.sh"
e2e_init "atspi-figures"

mkdir -p "$work/www"
echo '<!doctype html><title>First page</title><h1>First</h1>' >"$work/www/first.html"
echo '<!doctype html><title>Second page</title><h1>Second</h1>' >"$work/www/second.html"
start_page_server
start_firefox "$base/first.html"
firefox_pid=${started[-1]}
poll_output 120 "url	$base/first.html" "$probe" url "$firefox_pid" >/dev/null
start_chromium "$base/second.html" --force-renderer-accessibility
chromium_pid=${started[-1]}
# Wait for the window, not the tree: the first look-up below is the cold one.
wait_until 120 xdotool search --onlyvisible --pid "$chromium_pid" || fail "Chromium showed no window"
sleep 2

# Each browser is measured while its window is the active one, as when a paste reads it.
measure() {
  local variable=$1 pid=$2
  xdotool search --onlyvisible --pid "$pid" | head -1 | xargs xdotool windowactivate --sync
  sleep 1
  env "$variable=$pid" "$bench" --benchmark_repetitions=20 --benchmark_report_aggregates_only=true
}
measure ONDREL_BENCH_CHROMIUM_PID "$chromium_pid"
measure ONDREL_BENCH_FIREFOX_PID "$firefox_pid"
