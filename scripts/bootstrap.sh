#!/usr/bin/env bash
# Installs every Debian package Ondrel needs to build, run and test.
# Idempotent: when everything is present it only checks and exits quietly.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format clang-tidy
  # libraries
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-wayland libicu-dev nlohmann-json3-dev liburiparser-dev
  libx11-dev libxcb1-dev libxcb-xtest0-dev libxcb-keysyms1-dev libxcb-xkb-dev libxcb-xinput-dev libxcb-res0-dev libxcb-xfixes0-dev
  libxkbcommon-dev libxkbcommon-x11-dev libwayland-dev libwayland-bin
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # end-to-end tests: a real X server and programs we did not write
  xvfb x11-utils x11-xkb-utils openbox trayer xdotool xclip xterm zenity dbus dbus-x11 at-spi2-core firefox-esr chromium python3
  # acceptance tests: a clipboard manager, Debian's AT-SPI bindings to read windows, and what
  # openbox's XDG autostart runner needs
  copyq python3-pyatspi python3-xdg
  # a terminal emulator beside the paste target
  xfce4-terminal
  # the Wayland end-to-end tests: headless sway, a Wayland terminal, a clipboard owner, key viewer
  sway foot wl-clipboard wev
)

# sway refuses to run as root, so the Wayland end-to-end tests run their session as this
# unprivileged user; created once, without a password or login shell.
create_e2e_user() {
  local user="${ONDREL_SWAY_USER:-ondrel-e2e}"
  [ "$(id -u)" -eq 0 ] || return 0
  id "$user" >/dev/null 2>&1 && return 0
  useradd --system --create-home --shell /usr/sbin/nologin "$user"
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  create_e2e_user
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
create_e2e_user
