#!/usr/bin/env bash
# Press to text on sway next to X11, on this machine: runs the paste presses of both backends
# with PRESSES presses each (X11: bench/paste_figures.sh; sway: the end-to-end checks with the
# timing harness) and prints their figures.
#   bench/paste_sessions_figures.sh [BUILD_DIR] [PRESSES]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}
presses=${2:-20}
harness="$build/bench/paste_harness"
press="$build/tests/e2e/sway_press"
[ -x "$harness" ] && [ -x "$press" ] || { echo "build paste_harness and sway_press first" >&2; exit 64; }

echo "== X11 (Xvfb + openbox)"
bench/paste_figures.sh "$build" "$presses"
echo "== sway (headless)"
tests/e2e/run-in-sway.sh -- tests/e2e/sway_e2e.sh "$harness" "$press" "$presses" |
  sed -n '/^harness lines of the zenity presses:/,$p' | python3 -c '
import statistics, sys
rows, row = [], None
for line in sys.stdin:
    parts = line.split()
    if parts and parts[0] == "press":
        row = {}
        rows.append(row)
    elif row is not None and parts and parts[0] in ("keystroke", "requested", "matched"):
        row.setdefault(parts[0], float(parts[1]))
    elif row is not None and len(parts) == 3 and parts[0] == "call":
        row.setdefault("calls", {}).setdefault(parts[1], float(parts[2]))
def median(values):
    return statistics.median(values) if values else float("nan")
taken = [r for r in rows if "requested" in r]
print("figures (medians over %d presses that pasted into zenity on sway):" % len(taken))
print("  press to text (target read the clipboard) %.1f ms" % median([r["requested"] for r in taken]))
print("  keystroke after the fixed 50 ms            %.1f ms" % median([r["keystroke"] - 50 for r in taken]))
for call in ("frontmost", "snapshot", "keystroke"):
    took = [r["calls"][call] for r in taken if call in r.get("calls", {})]
    print("  main-thread call %-10s median %.2f ms" % (call, median(took)))
'
