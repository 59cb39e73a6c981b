#!/usr/bin/env bash
# Prints the smart paste's figures (medians over the presses of bench/paste_e2e.sh, which drives
# bench/paste_harness in a private desktop): press to text, time above the fixed 50 ms before
# the keystroke and where it goes, the longest main-thread block during a paste, each blocking
# platform call, and the rules file's save after the stamp.
#
# "Where it goes" splits press to keystroke into the steps the harness stamps (all times from
# the moment the hotkey press reached the handler, steady clock):
#   to the coordinator      the press handler queues the smart paste; the main loop runs it
#   same window in front    the active window is still the one whose context was read ahead
#                           while the modifiers were held (then no look-up and no URL read)
#   frontmost look-up       the active window's application ID (X properties, /proc, desktop
#                           entries), on the main thread
#   to a worker             the URL read is handed to a worker thread
#   URL read                the browser's URL over AT-SPI (D-Bus calls into the browser)
#   back to main            the URL's hand-back to the main thread
#   rule matching           the rule for the context, up to the paste's start
#   trust check             XTEST present and assistive technologies on (a D-Bus property)
#   snapshot                the clipboard's previous content read from its owner
#   clipboard taken         the rule's content made the clipboard's (X round trips)
#   timer late              how much later than 50 ms the keystroke's timer fired
#   keystroke               the XTEST keystroke itself
# A step a press does not take (no URL for zenity, or a URL read ahead of the press while its
# modifiers were held) is left out of its sum. Presses hold the modifiers ONDREL_PRESS_GAP_MS
# before the V (default 60; 0 presses all three at once, which leaves no time to read ahead).
#
#   bench/paste_figures.sh [BUILD_DIR] [PRESSES]     (default: build/ci, 20)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/ci}
presses=${2:-20}
harness="$build/bench/paste_harness"
[ -x "$harness" ] || { echo "paste_figures: build the paste_harness target in $build first" >&2; exit 66; }

probe="$build/tests/platform_atspi/atspi_probe"
[ -x "$probe" ] || probe=""

figures=$(mktemp -d /tmp/ondrel-paste-figures.XXXXXX)
trap 'rm -rf "$figures"' EXIT
ONDREL_FIGURES_DIR=$figures ONDREL_E2E_PROBE=$probe "$here/../tests/e2e/run-in-desktop.sh" -- \
  "$here/paste_e2e.sh" "$harness" "$presses" >/dev/null

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
        elif rows and kind == "at":
            step, at = rest.split(" ")
            rows[-1].setdefault("at", {}).setdefault(step, float(at))
        elif kind == "read":
            reads.append(float(rest))
        elif rows and kind == "call":
            call, took = rest.split(" ")
            calls.setdefault(call, []).append(float(took))
    return presses, rows

calls = {}
reads = []

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
# Each step ends where the next one that the press took begins.
steps = [("to the coordinator", "window-start"), ("same window in front", "window-end"),
         ("to the coordinator", "frontmost-start"), ("frontmost look-up", "frontmost-end"),
         ("to a worker", "url-start"), ("URL read", "url-end"), ("back to main", "url-on-main"),
         ("rule matching", "trust-start"),
         ("trust check", "trust-end"), ("snapshot", "snapshot-end"),
         ("clipboard taken", "timer-armed"), ("timer late", "timer-fired"),
         ("keystroke", "keystroke")]
for name, rows in (("zenity", zRows), ("firefox", fRows)):
    spent = {}
    for row in rows:
        at = dict(row.get("at", {}))
        if "keystroke" not in row or "timer-fired" not in at:
            continue
        # The fixed 50 ms is not ours to count.
        at["keystroke"] = row["keystroke"] - 50
        at["timer-fired"] -= 50
        previous = 0.0
        for step, mark in steps:
            # Marks after the keystroke belong to what comes after it (reading ahead again).
            if mark in at and at[mark] <= at["keystroke"]:
                spent.setdefault(step, []).append(at[mark] - previous)
                previous = at[mark]
    print("  where the time above 50 ms goes, %s:" % name)
    named = list(dict.fromkeys(step for step, _ in steps if step in spent))
    print("    " + ", ".join("%s %.1f" % (step, median(spent[step])) for step in named) + " (ms)")
ahead = sum(1 for r in fRows if "keystroke" in r and not any(
    m in r.get("at", {}) and r["at"][m] <= r["keystroke"] for m in ("url-start", "url-end")))
print("  firefox presses whose URL was read ahead of the press: %d of %d; URL reads: median %.1f ms, worst %.1f ms" % (
    ahead, len(fRows), median(reads), max(reads) if reads else float("nan")))
stalls = [r["stall"] for r in zRows + fRows if "stall" in r]
print("  longest main-thread block from press to stamp: median %.1f ms, worst %.1f ms" % (median(stalls), max(stalls) if stalls else float("nan")))
saves = [r["save"] for r in zRows + fRows if "save" in r]
for call, took in sorted(calls.items()):
    print("  main-thread call %-10s median %.1f ms, worst %.1f ms" % (call, median(took), max(took)))
print("  rules file save after the stamp (main thread): median %.1f ms, worst %.1f ms" % (median(saves), max(saves) if saves else float("nan")))
PY
