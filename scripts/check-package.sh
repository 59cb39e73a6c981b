#!/usr/bin/env bash
# Tries the Debian package the way a user meets it, on a clean Debian 12 root that
# has nothing of the build: installs it with apt, runs both programs, starts Ondrel
# from its desktop entry on a private X server with a tray and pastes once, then
# purges it and looks for anything left behind. Needs root and debootstrap.
#   scripts/check-package.sh [DEB]      (default: the newest build/package/ondrel_*.deb)
# The clean root is made once with debootstrap and kept in build/debian12/pristine
# (ONDREL_DEBIAN_CACHE moves it); every check runs in a fresh copy of it.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=${1:-$(ls -t build/package/ondrel_*.deb 2>/dev/null | head -n1)}
[ -f "$deb" ] || { echo "check-package: no package; run scripts/package.sh first" >&2; exit 66; }
[ "$(id -u)" -eq 0 ] || { echo "check-package: needs root (debootstrap, chroot)" >&2; exit 77; }
command -v debootstrap >/dev/null || { echo "check-package: debootstrap is not installed" >&2; exit 69; }

cache=$(realpath -m "${ONDREL_DEBIAN_CACHE:-build/debian12}")
mirror=${ONDREL_DEBIAN_MIRROR:-http://deb.debian.org/debian}
pristine="$cache/pristine"
root="$cache/check"
mkdir -p "$cache/archives"

if [ ! -x "$pristine/usr/bin/apt-get" ]; then
  echo "check-package: making a clean Debian 12 root in $pristine (once)"
  rm -rf "$pristine.tmp"
  nice debootstrap --variant=minbase bookworm "$pristine.tmp" "$mirror" >"$cache/debootstrap.log"
  cat >"$pristine.tmp/etc/apt/sources.list" <<LIST
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror%/debian}/debian-security bookworm-security main
LIST
  # Package scripts must not start services on the host's behalf.
  printf '#!/bin/sh\nexit 101\n' >"$pristine.tmp/usr/sbin/policy-rc.d"
  chmod +x "$pristine.tmp/usr/sbin/policy-rc.d"
  rm -rf "$pristine.tmp/var/cache/apt/archives"/*.deb
  mv "$pristine.tmp" "$pristine"
fi

mounts=()
cleanup() {
  local status=$?
  # Whatever still runs inside the root was started by this check.
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -9 "${proc#/proc/}" 2>/dev/null || true
  done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount -l "${mounts[$i]}" 2>/dev/null || true
  done
  rm -rf "$root"
  exit $status
}
trap cleanup EXIT INT TERM
mount_in() { # mount_in TARGET MOUNT-ARGS...
  local target="$root$1"
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounts+=("$target")
}

rm -rf "$root"
cp -a "$pristine" "$root"
mount_in /proc -t proc proc
mount_in /dev --bind /dev
mount_in /dev/pts --bind /dev/pts
mount_in /tmp -t tmpfs tmpfs
mount_in /run -t tmpfs tmpfs
mount_in /var/cache/apt/archives --bind "$cache/archives"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/root/"
cp examples/rules.json "$root/root/example-rules.json"

cat >"$root/root/check.sh" <<'INSIDE'
#!/bin/bash
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
cd /root
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true' EXIT
ok() { echo "ok - $*"; }
fail() { echo "FAIL: $*" >&2; for f in /tmp/*.log; do [ -s "$f" ] && { echo "--- $f" >&2; tail -20 "$f" >&2; }; done; exit 1; }
wait_until() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done; }

apt-get update -qq
apt-get install -y -qq ./ondrel_*.deb >/tmp/apt-install.log 2>&1 || fail "apt install ./ondrel_*.deb"
ok "apt install ./$(basename ./ondrel_*.deb)"
dpkg -L ondrel | sort >/root/ondrel.files

ondrelctl --help >/dev/null || fail "ondrelctl --help"
ondrelctl check /root/example-rules.json >/tmp/ondrelctl.log || fail "ondrelctl check"
ok "ondrelctl runs: $(cat /tmp/ondrelctl.log)"

if [ -x /usr/bin/ondrel ]; then
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 ondrel >/tmp/nodisplay.log 2>&1 || status=$?
  [ $status -ne 0 ] && [ $status -ne 124 ] || fail "ondrel without a display exited with $status"
  grep -qi display /tmp/nodisplay.log || fail "ondrel without a display did not say so"
  ok "ondrel without a display says so and exits with $status: $(grep -i -m1 display /tmp/nodisplay.log)"

  entry=$(grep -l '^Exec=.*ondrel' /usr/share/applications/*.desktop | head -n1)
  [ -n "$entry" ] || fail "no desktop entry starts ondrel"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  ls /usr/share/icons/hicolor/*/apps/"$icon".* >/dev/null 2>&1 || fail "icon $icon is not in the hicolor theme"
  metainfo=$(ls /usr/share/metainfo/*.xml 2>/dev/null | head -n1)
  [ -n "$metainfo" ] || fail "no AppStream metainfo"
  apt-get install -y -qq --no-install-recommends desktop-file-utils appstream >/tmp/apt-tools.log 2>&1 ||
    fail "installing the validators"
  desktop-file-validate "$entry" || fail "$entry does not validate"
  appstreamcli validate --no-net --pedantic "$metainfo" >/tmp/appstream.log 2>&1 ||
    appstreamcli validate --no-net "$metainfo" >/tmp/appstream.log 2>&1 || fail "$metainfo does not validate"
  ok "desktop entry $entry, icon $icon, metainfo $metainfo are in place and valid"

  apt-get install -y -qq --no-install-recommends xvfb openbox trayer dbus-x11 x11-utils xdotool zenity \
    >/tmp/apt-desktop.log 2>&1 || fail "installing the test desktop"
  export HOME=/root/user XDG_RUNTIME_DIR=/run/user && mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  Xvfb :7 -screen 0 1280x800x24 -nolisten tcp >/tmp/xvfb.log 2>&1 & pids+=($!)
  export DISPLAY=:7
  wait_until 20 xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
  eval "$(dbus-launch --sh-syntax)"; pids+=("$DBUS_SESSION_BUS_PID")
  openbox >/tmp/openbox.log 2>&1 & pids+=($!)
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null || fail "no AT-SPI bus"
  trayer --edge top --align right --widthtype request >/tmp/trayer.log 2>&1 & pids+=($!)
  wait_until 20 xdotool search --class trayer >/dev/null || fail "trayer did not start"

  # Start it the way a launcher does: the entry's Exec line without field codes.
  exec_line=$(sed -n 's/^Exec=//p' "$entry" | sed 's/ %[fFuUdDnNickvm]//g')
  mkdir -p "$HOME/.local/share/Ondrel"
  cat >"$HOME/.local/share/Ondrel/rules.json" <<'RULES'
{"version":1,"rules":[{"id":"0D1E2F30-4152-4637-8899-AABBCCDDEEFF","name":"Greeting","bundleID":"*","appDisplayName":"Any Application","content":"Hello from the package","contentType":"plainText","urlMatchMode":"domain","isEnabled":true,"createdAt":"2024-01-02T03:04:05Z"}]}
RULES
  bash -c "exec $exec_line" >/tmp/ondrel.log 2>&1 & ondrel_pid=$!; pids+=($ondrel_pid)
  tray_has_icon() {
    local tray
    for tray in $(xdotool search --class trayer); do
      xwininfo -id "$tray" -children 2>/dev/null | grep -q '^ *[1-9][0-9]* child' && return 0
    done
    return 1
  }
  wait_until 20 tray_has_icon || fail "no icon appeared in the tray"
  kill -0 $ondrel_pid || fail "ondrel exited"
  ok "ondrel started from $(basename "$entry") and shows its tray icon"

  zenity --entry --title "package check" >/tmp/zenity.out 2>/tmp/zenity.log & pids+=($!)
  wait_until 20 bash -c 'xdotool getactivewindow getwindowname 2>/dev/null | grep -q "package check"' ||
    fail "zenity did not come to the front"
  sleep 1
  xdotool key super+shift+v
  sleep 1.5
  xdotool key Return
  wait_until 10 test -s /tmp/zenity.out || fail "zenity received nothing"
  [ "$(cat /tmp/zenity.out)" = "Hello from the package" ] || fail "zenity received '$(cat /tmp/zenity.out)'"
  ok "a press of Super+Shift+V pasted the rule's text into zenity"
  kill $ondrel_pid; wait $ondrel_pid 2>/dev/null || true
fi

apt-get purge -y -qq ondrel >/tmp/apt-purge.log 2>&1 || fail "apt purge ondrel"
left=$(while read -r path; do [ -f "$path" ] || [ -L "$path" ] && echo "$path"; done </root/ondrel.files || true)
[ -z "$left" ] || fail "left behind after purge: $left"
strays=$(find / -xdev \( -path /root -o -path /proc -o -path /tmp -o -path /var/cache/apt \) -prune -o \
  -iname '*ondrel*' -print 2>/dev/null || true)
[ -z "$strays" ] || fail "files named after ondrel remain: $strays"
ok "apt purge ondrel leaves none of its files"
INSIDE
chmod +x "$root/root/check.sh"

echo "check-package: $deb on a clean Debian 12 root"
chroot "$root" /root/check.sh
