#!/usr/bin/env bash
# Prints the figures of `ondrel` itself on a private Xvfb desktop with an XEmbed tray:
#   - start to shortcut grabbed: from the exec to the end of launch step 7 (median of 10
#     starts; targets below 200 ms);
#   - resident memory after start (target below 40 MB) and with the settings window open
#     (target below 60 MB), as RSS and as PSS (shared library pages divided among their users).
#
#   bench/app_figures.sh [BUILD_DIR]     (default: build/ci; an optimised build gives true figures)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/ci}
ondrel="$build/src/app/ondrel"
[ -x "$ondrel" ] || { echo "app_figures: build the ondrel target in $build first" >&2; exit 66; }

"$here/../tests/e2e/run-in-desktop.sh" -- python3 - "$ondrel" <<'PY'
import os, statistics, subprocess, sys, time

ondrel = sys.argv[1]
env = dict(os.environ, QT_LOGGING_RULES="ondrel.app.debug=true")
tray = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                         "--width", "120", "--height", "24"],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(1)

def start():
    began = time.monotonic()
    process = subprocess.Popen([ondrel], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    for line in process.stderr:
        if "shortcut registered" in line:
            return process, (time.monotonic() - began) * 1000
    raise SystemExit("ondrel ended before it registered its shortcut")

def memory(pid):
    figures = {}
    with open(f"/proc/{pid}/smaps_rollup") as rollup:
        for line in rollup:
            key, value = line.split(":", 1)
            if key in ("Rss", "Pss"):
                figures[key] = int(value.split()[0]) / 1024
    return "RSS %.1f MB, PSS %.1f MB" % (figures["Rss"], figures["Pss"])

def settings_shown():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Ondrel Settings$"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return found.returncode == 0

times = []
for run in range(10):
    process, elapsed = start()
    times.append(elapsed)
    if run < 9:
        process.terminate()
        process.wait()

print("start to shortcut grabbed: median %.0f ms (min %.0f, max %.0f, 10 starts)"
      % (statistics.median(times), min(times), max(times)))
time.sleep(2)
print("memory after start:", memory(process.pid))
subprocess.run([ondrel], env=env, check=True)  # the second launch opens the settings window
for _ in range(100):
    if settings_shown():
        break
    time.sleep(0.1)
time.sleep(2)
print("memory with the settings window open:", memory(process.pid))
process.terminate()
process.wait()
tray.terminate()
PY
