#!/usr/bin/env bash
# Runs a command inside a private headless sway session: its own runtime directory, a D-Bus
# session bus, the AT-SPI bus with assistive technologies on, and a temporary HOME, so nothing
# of the real user's is touched. Everything started here is stopped on exit.
#
#   run-in-sway.sh [--config FILE] -- COMMAND [ARGS...]
#
# sway refuses to run as root, so as root the whole session runs as the unprivileged user
# $ONDREL_SWAY_USER (default ondrel-e2e; scripts/bootstrap.sh creates it). The command sees
# WAYLAND_DISPLAY, SWAYSOCK, DBUS_SESSION_BUS_ADDRESS, HOME, XDG_*, and ONDREL_E2E_HOME;
# DISPLAY is unset, so nothing falls back to X11.
set -euo pipefail

user="${ONDREL_SWAY_USER:-ondrel-e2e}"
if [ "$(id -u)" -eq 0 ]; then
  id "$user" >/dev/null 2>&1 || { echo "run-in-sway: user $user is missing (scripts/bootstrap.sh creates it)" >&2; exit 69; }
  as_user() { setpriv --reuid="$user" --regid="$user" --init-groups "$@"; }
  # The build may lie where the user cannot reach (a clone under /root): files it cannot read
  # are copied to a folder it can, this script and the command's file arguments alike.
  stage=""
  reachable() { as_user test -r "$1"; }
  staged() {
    if [ -f "$1" ] && ! reachable "$1"; then
      [ -n "$stage" ] || { stage=$(mktemp -d /tmp/ondrel-sway-stage.XXXXXX); chmod 755 "$stage"; }
      local copy="$stage/$(basename "$1")"
      cp -p "$1" "$copy" && chmod a+rx "$copy"
      echo "$copy"
    else
      echo "$1"
    fi
  }
  args=()
  for arg in "$@"; do args+=("$(staged "$arg")"); done
  self=$(staged "$0")
  status=0
  as_user --reset-env env PATH="$PATH" ONDREL_SWAY_USER="$user" \
    ${ONDREL_E2E_KEEP:+ONDREL_E2E_KEEP="$ONDREL_E2E_KEEP"} "$self" "${args[@]}" || status=$?
  [ -z "$stage" ] || rm -rf "$stage"
  exit $status
fi

config=""
while [ $# -gt 0 ]; do
  case "$1" in
    --config) config="$2"; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--config FILE] -- COMMAND [ARGS...]" >&2; exit 64; }
for tool in sway swaymsg dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "run-in-sway: $tool is not installed" >&2; exit 69; }
done

session=$(mktemp -d /tmp/ondrel-sway.XXXXXX)
home="$session/home"
mkdir -p "$home" "$session/runtime"
chmod 700 "$session/runtime"

pids=()
cleanup() {
  local status=$?
  for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
  [ -n "${ONDREL_E2E_KEEP:-}" ] || rm -rf "$session" 2>/dev/null || true
  exit $status
}
trap cleanup EXIT INT TERM

unset DISPLAY WAYLAND_DISPLAY SWAYSOCK XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP
export HOME="$home"
export XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
export XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state"
export XDG_RUNTIME_DIR="$session/runtime"
# The test user logs in nowhere; programs that start a shell (foot) need a real one.
export LANG=C.UTF-8 SHELL=/bin/bash GSETTINGS_BACKEND=memory NO_AT_BRIDGE=0 ONDREL_E2E_HOME="$home"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"

# The bus can start only the AT-SPI bus launcher, so no portal outlives the session.
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

if [ -z "$config" ]; then
  config="$session/sway.config"
  printf 'xwayland disable\ndefault_border none\n' >"$config"
fi
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway --config "$config" >"$session/sway.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  sock=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n1 || true)
  [ -n "$sock" ] && [ -S "$XDG_RUNTIME_DIR/wayland-1" ] && break
  sleep 0.05
done
[ -n "${sock:-}" ] || { echo "run-in-sway: sway did not start" >&2; cat "$session/sway.log" >&2; exit 70; }
export SWAYSOCK="$sock" WAYLAND_DISPLAY=wayland-1 XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
export ONDREL_SWAY_LOG="$session/sway.log"

dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
  variant:boolean:true >/dev/null
export ACCESSIBILITY_ENABLED=1 GTK_A11Y=atspi

"$@"
