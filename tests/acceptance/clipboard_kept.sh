#!/usr/bin/env bash
# The user's clipboard survives every paste byte for byte: text and an image owned by another
# program (xclip), first alone, then with a Debian clipboard manager (CopyQ) watching.
source "$(dirname "$0")/lib.sh"
command -v copyq >/dev/null || fail "copyq is not installed"

text="Pasted by Ondrel"
write_rules "$(rule "Everywhere" "*" "$text")"
printf 'line one\r\nline two \xe2\x9c\x93\x00 after a NUL' >"$work/text.bin"
# A real PNG: a 64x64 gradient, written here so its bytes are known.
"$syspython" - "$work/image.png" <<'PY'
import struct, sys, zlib
w = h = 64
raw = b"".join(b"\0" + b"".join(bytes((x * 4, y * 4, (x + y) * 2)) for x in range(w)) for y in range(h))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
PY

start_ondrel
start_zenity "clipboard"
pastes=0
# paste_keeps FILE TYPE WHEN: a paste leaves FILE's bytes under TYPE on the clipboard.
paste_keeps() {
  press_and_wait_save
  pastes=$((pastes + 1))
  sleep 0.3
  clipboard_is "$1" "$2" || fail "$2 on the clipboard changed after a paste $3"
  ok "$2 owned by xclip is byte-exact after a paste $3"
}
own_clipboard "$work/text.bin" "text/plain;charset=utf-8"
paste_keeps "$work/text.bin" "text/plain;charset=utf-8" "alone"
own_clipboard "$work/image.png" image/png
paste_keeps "$work/image.png" image/png "alone"

copyq >"$work/copyq.log" 2>&1 &
started+=($!)
wait_until 20 bash -c 'copyq size >/dev/null 2>&1' || fail "CopyQ did not start"
own_clipboard "$work/text.bin" "text/plain;charset=utf-8"
paste_keeps "$work/text.bin" "text/plain;charset=utf-8" "with CopyQ running"
own_clipboard "$work/image.png" image/png
paste_keeps "$work/image.png" image/png "with CopyQ running"

expected=$(printf "$text%.0s" $(seq $pastes))
[ "$(finish_zenity)" = "$expected" ] || fail "zenity got '$(cat "$work/zenity.out")'"
ok "every paste reached zenity"
stop_ondrel
