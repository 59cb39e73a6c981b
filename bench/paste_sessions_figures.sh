#!/usr/bin/env bash
# Press to text on sway next to X11, on this machine: runs the end-to-end paste checks of both
# backends with PRESSES presses each and prints their figures.
#   bench/paste_sessions_figures.sh [BUILD_DIR] [PRESSES]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}
presses=${2:-20}
harness="$build/tests/e2e/paste_harness"
press="$build/tests/e2e/sway_press"
[ -x "$harness" ] && [ -x "$press" ] || { echo "build paste_harness and sway_press first" >&2; exit 64; }

echo "== X11 (Xvfb + openbox)"
bench/paste_figures.sh "$build" "$presses"
echo "== sway (headless)"
tests/e2e/run-in-sway.sh -- tests/e2e/sway_e2e.sh "$harness" "$press" "$presses" | sed -n '/^figures/,$p'
