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

session=$(mktemp -d /tmp/ondrel-e2e.XXXXXX)
[ -n "$home" ] || home="$session/home"
mkdir -p "$home" "$session/runtime"
chmod 700 "$session/runtime"

pids=()
cleanup() {
  local status=$?
  for ((i=${#pids[@]}-1; i>=0; i--)); do
    kill "${pids[$i]}" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
  # A FUSE mount left by a program of the session must not fail the test.
  for mountpoint in "$session"/runtime/*; do
    mountpoint -q "$mountpoint" 2>/dev/null && { fusermount -u -z "$mountpoint" 2>/dev/null || umount -l "$mountpoint" 2>/dev/null || true; }
  done
  rm -rf "$session" 2>/dev/null || true
  exit $status
}
trap cleanup EXIT INT TERM

export HOME="$home"
export XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
export XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state"
export XDG_RUNTIME_DIR="$session/runtime"
export GSETTINGS_BACKEND=memory
export NO_AT_BRIDGE=0
export ONDREL_E2E_HOME="$home"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"

# Xvfb picks a free display itself and tells us which.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp -noreset \
  >"$session/xvfb.log" 2>&1 &
pids+=($!)
display=""
for _ in $(seq 300); do
  if read -r -t 0.1 -u "$displayfd" display && [ -n "$display" ]; then break; fi
done
[ -n "$display" ] || { echo "run-in-desktop: Xvfb did not start" >&2; cat "$session/xvfb.log" >&2; exit 70; }
export DISPLAY=":$display"

# A bus of our own that can start only the AT-SPI bus launcher: desktop portals and
# the like would otherwise be activated by the browsers and outlive the session.
mkdir -p "$session/dbus-services"
cp /usr/share/dbus-1/services/org.a11y.Bus.service "$session/dbus-services/"
cat >"$session/dbus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:dir=$session</listen>
  <servicedir>$session/dbus-services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
eval "$(dbus-daemon --config-file="$session/dbus.conf" --fork --print-address=1 --print-pid=1 |
  { read -r addr; read -r pid; echo "DBUS_SESSION_BUS_ADDRESS='$addr' DBUS_SESSION_BUS_PID=$pid"; })"
export DBUS_SESSION_BUS_ADDRESS DBUS_SESSION_BUS_PID

openbox --sm-disable >"$session/openbox.log" 2>&1 &
pids+=($!)

if [ "$a11y" = 1 ]; then
  # Activates the AT-SPI bus launcher and switches assistive technologies on.
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
    variant:boolean:true >/dev/null
  export ACCESSIBILITY_ENABLED=1 GTK_A11Y=atspi
fi

# Wait until the window manager owns the screen, so focus and activation work.
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then break; fi
  sleep 0.05
done

"$@"
