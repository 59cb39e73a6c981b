#!/usr/bin/env bash
# What run-in-desktop.sh and run-in-sway.sh share: a session folder with a temporary HOME and
# XDG tree, so nothing of the real user's is touched; a D-Bus session bus that can start only
# the AT-SPI bus launcher; assistive technologies switched on; and on exit, the end of every
# process in `pids` (last started first) and of the bus. Source it, then call session_init.

# session_init NAME [HOME]: makes $session (and $home, unless given) and exports the session's
# HOME, XDG_*_HOME, XDG_RUNTIME_DIR and ONDREL_E2E_HOME. ONDREL_E2E_KEEP keeps the folder.
session_init() {
  session=$(mktemp -d "/tmp/ondrel-$1.XXXXXX")
  home=${2:-$session/home}
  mkdir -p "$home" "$session/runtime"
  chmod 700 "$session/runtime"
  pids=()
  trap session_cleanup EXIT INT TERM

  export HOME="$home"
  export XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
  export XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state"
  export XDG_RUNTIME_DIR="$session/runtime"
  export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=0 ONDREL_E2E_HOME="$home"
  mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
}

session_cleanup() {
  local status=$? i pid mountpoint
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
  # A FUSE mount left by a program of the session must not fail the test.
  for mountpoint in "$session"/runtime/*; do
    mountpoint -q "$mountpoint" 2>/dev/null && { fusermount -u -z "$mountpoint" 2>/dev/null || umount -l "$mountpoint" 2>/dev/null || true; }
  done
  [ -n "${ONDREL_E2E_KEEP:-}" ] || rm -rf "$session" 2>/dev/null || true
  exit $status
}

# start_session_bus: a bus of our own that can start only the AT-SPI bus launcher: desktop
# portals and the like would otherwise be activated by the browsers and outlive the session.
start_session_bus() {
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
}

# enable_a11y: activates the AT-SPI bus launcher and switches assistive technologies on.
enable_a11y() {
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
    variant:boolean:true >/dev/null
  export ACCESSIBILITY_ENABLED=1 GTK_A11Y=atspi
}
