#!/usr/bin/env bash
# Builds the Debian package from a Release build without tests or benchmarks and
# prints its path: build/package/ondrel_<version>_<arch>.deb.
#   scripts/package.sh
# Install it with `sudo apt install ./build/package/ondrel_*.deb`;
# scripts/check-package.sh tries it on a clean Debian 12 root.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/package
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DONDREL_BUILD_TESTS=OFF \
  -DONDREL_BUILD_BENCHMARKS=OFF \
  -DONDREL_BUILD_FUZZERS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build"
rm -f "$build"/ondrel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/ondrel_*.deb)
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Depends\):/\1:/p'
echo "$deb"
