#!/usr/bin/env bash
# Runs a command inside a private desktop session: its own Xvfb display, the
# openbox window manager, a D-Bus session bus, the AT-SPI bus with assistive
# technologies switched on, and a temporary HOME/XDG tree, so nothing of the
# real user's is touched. Everything started here is stopped on exit.
#
#   run-in-desktop.sh [--no-a11y] [--keep-home DIR] -- COMMAND [ARGS...]
#
# The command sees DISPLAY, DBUS_SESSION_BUS_ADDRESS, HOME, XDG_*_HOME and
# XDG_RUNTIME_DIR of the session, and ONDREL_E2E_HOME (the temporary HOME).
set -euo pipefail

a11y=1
home=""
while [ $# -gt 0 ]; do
  case "$1" in
    --no-a11y) a11y=0; shift ;;
    --keep-home) home="$2"; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--no-a11y] [--keep-home DIR] -- COMMAND [ARGS...]" >&2; exit 64; }

for tool in Xvfb openbox dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "run-in-desktop: $tool is not installed" >&2; exit 69; }
done

# shellcheck source=session.sh
source "$(dirname "$(realpath "$0")")/session.sh"
session_init e2e "$home"

# Xvfb picks a free display itself and tells us which. Two sessions starting at once can pick
# the same one, and the loser exits ("server already running"): it tries again.
start_xvfb() {
  local displayfd xvfb
  exec {displayfd}<> <(:)
  Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp -noreset \
    >>"$session/xvfb.log" 2>&1 &
  xvfb=$!
  pids+=($xvfb)
  for _ in $(seq 300); do
    if read -r -t 0.1 -u "$displayfd" display && [ -n "$display" ]; then return 0; fi
    kill -0 "$xvfb" 2>/dev/null || return 1
  done
  return 1
}
display=""
for _ in 1 2 3; do
  start_xvfb && break
  display=""
  sleep "0.$((RANDOM % 9 + 1))"
done
[ -n "$display" ] || { echo "run-in-desktop: Xvfb did not start" >&2; cat "$session/xvfb.log" >&2; exit 70; }
export DISPLAY=":$display"

start_session_bus

openbox --sm-disable >"$session/openbox.log" 2>&1 &
pids+=($!)

[ "$a11y" = 0 ] || enable_a11y

# Wait until the window manager owns the screen, so focus and activation work.
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then break; fi
  sleep 0.05
done

"$@"
