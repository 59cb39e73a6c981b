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
  # (Made here, not in staged(): that runs in a subshell.)
  stage=$(mktemp -d /tmp/ondrel-sway-stage.XXXXXX)
  chmod 755 "$stage"
  reachable() { as_user test -r "$1"; }
  staged() {
    if [ -f "$1" ] && ! reachable "$1"; then
      local copy="$stage/$(basename "$1")"
      cp -p "$1" "$copy" && chmod a+rx "$copy"
      echo "$copy"
    else
      echo "$1"
    fi
  }
  args=()
  for arg in "$@"; do args+=("$(staged "$arg")"); done
  # This script sources session.sh beside it, wherever it runs from.
  staged "$(dirname "$(realpath "$0")")/session.sh" >/dev/null
  self=$(staged "$0")
  status=0
  as_user --reset-env env PATH="$PATH" ONDREL_SWAY_USER="$user" \
    ${ONDREL_E2E_KEEP:+ONDREL_E2E_KEEP="$ONDREL_E2E_KEEP"} "$self" "${args[@]}" || status=$?
  rm -rf "$stage"
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

unset DISPLAY WAYLAND_DISPLAY SWAYSOCK XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP
# shellcheck source=session.sh
source "$(dirname "$(realpath "$0")")/session.sh"
session_init sway
# The test user logs in nowhere; programs that start a shell (foot) need a real one.
export LANG=C.UTF-8 SHELL=/bin/bash
start_session_bus

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

enable_a11y

"$@"
