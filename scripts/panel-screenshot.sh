#!/usr/bin/env bash
# Photographs the tray panel hanging under its icon: the real ondrel on a private Xvfb desktop
# with an XEmbed tray (trayer), a few example rules and one paste made, so the picture shows
# the count and the "Last: " line. Writes docs/screenshots/panel-under-tray.png.
#
#   scripts/panel-screenshot.sh
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --inside ]; then
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}"
  cmake --preset ci >/dev/null
  cmake --build --preset ci --target ondrel >/dev/null
  mkdir -p docs/screenshots
  exec tests/e2e/run-in-desktop.sh -- "$0" --inside build/ci/src/app/ondrel \
    "$PWD/docs/screenshots/panel-under-tray.png"
fi
ondrel=$2
output=$3

# X11 through ctypes, so that no screenshot program is needed: "background RRGGBB" paints the
# root window, "grab X Y W H FILE" writes that part of the screen as a PNG.
x11() {
  python3 - "$@" <<'PY'
import ctypes, struct, sys, zlib

class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]

x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XGetImage.restype = ctypes.POINTER(XImage)
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                        ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x.XSetWindowBackground.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
x.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XFlush.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
root = x.XDefaultRootWindow(display)

if sys.argv[1] == "background":
    x.XSetWindowBackground(display, root, int(sys.argv[2], 16))
    x.XClearWindow(display, root)
    x.XFlush(display)
else:
    left, top, width, height = (int(v) for v in sys.argv[2:6])
    image = x.XGetImage(display, root, left, top, width, height, 0xFFFFFFFF, 2).contents
    assert image.bits_per_pixel == 32 and image.byte_order == 0, "expects 32-bit BGRX pixels"
    rows = bytearray()
    for row in range(height):
        line = bytes(image.data[row * image.bytes_per_line: row * image.bytes_per_line + width * 4])
        rows.append(0)
        for column in range(width):
            blue, green, red = line[column * 4: column * 4 + 3]
            rows += bytes((red, green, blue))
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    with open(sys.argv[6], "wb") as png:
        png.write(b"\x89PNG\r\n\x1a\n"
                  + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
PY
}
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || { echo "panel-screenshot: timed out: $*" >&2; exit 1; }
    sleep 0.1
  done
}
geometry() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'; }

mkdir -p "$XDG_DATA_HOME/Ondrel"
cat >"$XDG_DATA_HOME/Ondrel/rules.json" <<'JSON'
{"version": 1, "rules": [
 {"id": "0F6A3B52-94A1-4C5E-8E0B-2D7C1A9E4F10", "name": "Support signature", "bundleID": "wmclass:Zenity",
  "appDisplayName": "Zenity", "content": "Best regards, the support team", "contentType": "plainText",
  "urlMatchMode": "domain", "isEnabled": true, "createdAt": "2026-12-01T09:00:00Z"},
 {"id": "6C2B7E19-3D4F-4A8B-9C1E-5F0A2B3C4D5E", "name": "Issue reply", "bundleID": "firefox-esr",
  "appDisplayName": "Firefox ESR", "urlPattern": "github.com", "content": "Thanks for the report!",
  "contentType": "plainText", "urlMatchMode": "domain", "isEnabled": true, "createdAt": "2026-12-01T09:00:00Z"},
 {"id": "A1B2C3D4-E5F6-4A7B-8C9D-0E1F2A3B4C5D", "name": "Staging login", "bundleID": "chromium",
  "appDisplayName": "Chromium", "content": "deploy-bot", "contentType": "plainText",
  "urlMatchMode": "domain", "isEnabled": true, "createdAt": "2026-12-01T09:00:00Z"},
 {"id": "B7C8D9E0-F1A2-4B3C-9D4E-5F6A7B8C9D0E", "name": "Old address", "bundleID": "*",
  "appDisplayName": "Any Application", "content": "12 Old Street", "contentType": "plainText",
  "urlMatchMode": "domain", "isEnabled": false, "createdAt": "2026-12-01T09:00:00Z"}]}
JSON

x11 background 4a5d78
trayer --edge top --align right --widthtype pixel --width 160 --height 26 --SetDockType true \
  --tint 0x2b2f36 --transparent true --alpha 0 >/dev/null 2>&1 &
trayer=$!
"$ondrel" >/dev/null 2>&1 &
ondrel_pid=$!
trap 'kill $ondrel_pid $trayer 2>/dev/null || true; wait $ondrel_pid $trayer 2>/dev/null || true' EXIT
wait_until 20 bash -c "[ \$(xdotool search --onlyvisible --pid $ondrel_pid | wc -l) -ge 1 ]"
icon=$(xdotool search --onlyvisible --pid "$ondrel_pid" | head -1)

# One paste, so the panel has a last match to show.
zenity --entry --title "paste target" >/dev/null 2>&1 &
zenity=$!
wait_until 20 bash -c "xdotool getactivewindow getwindowpid 2>/dev/null | grep -qx $zenity"
sleep 0.5
xdotool key super+shift+v
sleep 1
xdotool key Return
wait "$zenity" || true

xdotool mousemove --window "$icon" 6 6 click 1
wait_until 10 bash -c "[ \$(xdotool search --onlyvisible --pid $ondrel_pid | wc -l) -ge 2 ]"
sleep 0.5
panel=$(xdotool search --onlyvisible --pid "$ondrel_pid" | grep -vx "$icon" | head -1)
read -r px py pw ph < <(geometry "$panel")
read -r ix _ iw _ < <(geometry "$icon")
left=$(( (px < ix ? px : ix) - 24 ))
right=$(( (px + pw > ix + iw ? px + pw : ix + iw) + 24 ))
screen_width=$(xwininfo -root | awk '/Width:/ {print $NF}')
[ "$right" -le "$screen_width" ] || right=$screen_width
x11 grab "$left" 0 $((right - left)) $((py + ph + 24)) "$output"
echo "$output"
