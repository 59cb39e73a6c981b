#!/usr/bin/env bash
# Prints the smart paste's figures (medians over the presses of tests/e2e/paste_e2e.sh): press
# to text, time above the fixed 50 ms before the keystroke, the longest main-thread block
# during a paste, each blocking platform call, and the rules file's save after the stamp.
#
#   bench/paste_figures.sh [BUILD_DIR] [PRESSES]     (default: build/ci, 20)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/ci}
presses=${2:-20}
harness="$build/tests/e2e/paste_harness"
[ -x "$harness" ] || { echo "paste_figures: build the paste_harness target in $build first" >&2; exit 66; }

figures=$(mktemp -d /tmp/ondrel-paste-figures.XXXXXX)
trap 'rm -rf "$figures"' EXIT
ONDREL_FIGURES_DIR=$figures "$here/../tests/e2e/run-in-desktop.sh" -- \
  "$here/../tests/e2e/paste_e2e.sh" "$harness" "$presses" >/dev/null

python3 - "$figures/zenity.out" "$figures/firefox.out" "$figures/firefox-reports.log" <<'PY'
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
