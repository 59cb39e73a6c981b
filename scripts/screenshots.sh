#!/usr/bin/env bash
# Renders the interface's scenes to docs/screenshots/ on a private Xvfb display, over the fake
# backend and in a temporary home (the real user's files are never read):
#   scripts/screenshots.sh [SCENE...]      every scene when none is named
#   scripts/screenshots.sh --list
set -euo pipefail
cd "$(dirname "$0")/.."
export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}"
cmake --preset ci >/dev/null
cmake --build --preset ci --target ondrel-screenshots >/dev/null
tool=build/ci/tools/screenshots/ondrel-screenshots
if [ "${1:-}" = "--list" ]; then
  exec "$tool" --list
fi

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$displayfile"' EXIT
for _ in $(seq 50); do
  [ -s "$displayfile" ] && break
  sleep 0.1
done
[ -s "$displayfile" ] || { echo "Xvfb did not start" >&2; exit 1; }

# No session bus: the pictures must not depend on (or talk to) the desktop we run in.
env -u DBUS_SESSION_BUS_ADDRESS -u XDG_CURRENT_DESKTOP DISPLAY=":$(head -n1 "$displayfile")" \
  QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$tool" docs/screenshots "$@"
