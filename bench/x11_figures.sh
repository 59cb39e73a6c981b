#!/usr/bin/env bash
# Prints the X11 backend's figures (medians of 20 runs): the frontmost-application look-up
# with an xterm active, and the snapshot and restore of a 5 MB image/png that xclip owns.
#
#   bench/x11_figures.sh [BUILD_DIR]     (default: build/dev)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/dev}
bench="$build/bench/x11_bench"
[ -x "$bench" ] || { echo "x11_figures: build the x11_bench target in $build first" >&2; exit 66; }

image=$(mktemp /tmp/ondrel-bench-image.XXXXXX)
trap 'rm -f "$image"' EXIT
{ printf '\x89PNG\r\n\x1a\n'; head -c $((5 * 1024 * 1024 - 8)) /dev/urandom; } >"$image"

"$here/../tests/e2e/run-in-desktop.sh" -- bash -c '
  xterm & term=$!
  for _ in $(seq 100); do xdotool getactivewindow >/dev/null 2>&1 && break; sleep 0.1; done
  ONDREL_BENCH_IMAGE="$1" "$2" --benchmark_report_aggregates_only=true \
    --benchmark_filter=. 2>&1 | grep -E "_(median|mean|stddev) " || true
  kill $term
' figures "$image" "$bench"
