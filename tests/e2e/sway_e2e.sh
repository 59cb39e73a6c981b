#!/usr/bin/env bash
# The wlroots backend end to end, on headless sway with programs we did not write. Run it
# inside the sway session:
#   tests/e2e/run-in-sway.sh -- tests/e2e/sway_e2e.sh path/to/e2e_harness path/to/sway_press [PRESSES]
# Checks, each press made by sway_press's virtual keyboard (Super+Shift+V, held 300 ms):
#   - the frontmost application ID of foot, zenity (GTK 3) and Firefox, and Firefox's URL;
#   - a rule pastes into a zenity entry PRESSES times, and the text a wl-copy owner had is
#     byte-exact afterwards; so is a PNG after one more press;
#   - the target sees exactly Control with the V (wev logs its keyboard's modifiers);
#   - `swaymsg reload` keeps the shortcut working;
#   - a binding of the user's configuration on the same keys is reported, not replaced.
# Given bench/paste_harness, which times every press, it prints the zenity presses' lines last.
set -euo pipefail

harness=${1:?usage: sway_e2e.sh HARNESS PRESS_TOOL [PRESSES]}
press_tool=${2:?usage: sway_e2e.sh HARNESS PRESS_TOOL [PRESSES]}
presses=${3:-5}
[ -n "${SWAYSOCK:-}" ] || { echo "sway_e2e.sh: no SWAYSOCK; run it inside run-in-sway.sh" >&2; exit 64; }
for tool in foot zenity wev wl-copy wl-paste firefox-esr python3; do
  command -v "$tool" >/dev/null || { echo "sway_e2e.sh: $tool is not installed" >&2; exit 69; }
done

# The harness shows no window, and Qt 6.4's Wayland plugin can hang at exit waiting for its
# event thread; the backend has a connection of its own either way.
export QT_QPA_PLATFORM=offscreen

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init sway-e2e

describe_failure() {
  echo "--- windows (app_id, pid, focused)"
  swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(node):
    if "pid" in node:
        print(node.get("app_id"), node.get("pid"), node.get("focused"))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' || true
  [ ! -s "${ONDREL_SWAY_LOG:-}" ] || { echo "--- sway.log"; tail -30 "$ONDREL_SWAY_LOG"; }
}

# Presses come from sway_press's virtual keyboard, the key held 300 ms.
press() { "$press_tool" 300; }

# --- frontmost applications ------------------------------------------------------------------

foot >"$work/foot.log" 2>&1 &
started+=($!)
wait_until 20 context_is foot || fail "foot is not the frontmost application"
echo "ok - foot is frontmost as foot"

# --- exactly Control reaches the target ------------------------------------------------------

text="Hello from sway ✓ "
write_rules "$(rule "zenity" "wmclass:Zenity" "$text")" "$(rule "wev" "wmclass:Wev" "wev text")"
start_harness

# wev takes the keymap of the seat's last keyboard and crashes when that keyboard is gone (as
# sway_press's is after each press), so it starts while the harness's keyboard is the last.
stdbuf -oL wev >"$work/wev.log" 2>"$work/wev.err" &
wev_pid=$!
started+=($wev_pid)
wait_until 20 context_is "wmclass:Wev" || fail "wev did not come to the front"
press_and_wait 1
sleep 0.3
# The modifiers wev was told last before the V went down: Control alone.
python3 - "$work/wev.log" <<'PY' || fail "the target did not see exactly Control with the V"
import re, sys
log = open(sys.argv[1], errors="replace").read()
last = None
for block in re.split(r"\n(?=\[)", log):
    if "wl_keyboard] modifiers" in block:
        last = re.search(r"depressed: ([0-9a-f]+)", block).group(1)
    elif "wl_keyboard] key" in block and "sym: v " in block and "pressed" in block:
        sys.exit(0 if last is not None and int(last, 16) == 4 else 1)
sys.exit(1)
PY
echo "ok - the target sees exactly Control with the V"
kill "$wev_pid"

# --- zenity: pastes, and the clipboard a wl-copy owner had is byte-exact afterwards ----------

previous_text="before Ondrel ✓ $RANDOM"
printf '%s' "$previous_text" | wl-copy
zenity --entry --title "paste target" >"$work/zenity.out" 2>"$work/zenity.err" &
zenity_pid=$!
started+=($zenity_pid)
wait_until 20 context_is "wmclass:Zenity" || fail "zenity did not come to the front"
echo "ok - zenity is frontmost as wmclass:Zenity"
sleep 0.3
for ((i = 1; i <= presses; i++)); do
  press_and_wait $((i + 1))
done
sleep 0.3
[ "$(wl-paste --no-newline --type text/plain)" = "$previous_text" ] || fail "the previous text came back changed"
echo "ok - the text a wl-copy owner had is byte-exact after $presses pastes"

python3 - "$work/previous.png" <<'PY'
import os, struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
w, h = 64, 48
raw = b"".join(b"\0" + os.urandom(w * 3) for _ in range(h))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) \
    + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
PY
wl-copy --type image/png <"$work/previous.png"
press_and_wait $((presses + 2))
sleep 0.3
wl-paste --type image/png >"$work/after.png" || fail "the PNG is gone from the clipboard"
cmp -s "$work/previous.png" "$work/after.png" || fail "the PNG came back changed"
echo "ok - the PNG a wl-copy owner had is byte-exact afterwards"

# --- a reload keeps the shortcut -------------------------------------------------------------

swaymsg reload >/dev/null
sleep 0.3
press_and_wait $((presses + 3))
echo "ok - the shortcut works after swaymsg reload"

"$press_tool" return
wait_until 10 bash -c "! kill -0 $zenity_pid 2>/dev/null" || fail "zenity did not close"
expected=$(python3 -c 'import sys; print(sys.argv[1] * int(sys.argv[2]), end="")' "$text" $((presses + 2)))
got=$(cat "$work/zenity.out")
[ "$got" = "${expected%" "}" ] || [ "$got" = "$expected" ] || fail "zenity received '$got'"
echo "ok - zenity received the rule's text $((presses + 2)) times"
cp "$work/harness.out" "$work/zenity-figures.out"

stop_harness

# --- a conflicting binding of the user's is reported -----------------------------------------

config=$(swaymsg -t get_version | python3 -c 'import json,sys; print(json.load(sys.stdin)["loaded_config_file_name"])')
cp "$config" "$work/config.saved"
echo 'bindsym Mod4+Shift+v exec true' >>"$config"
swaymsg reload >/dev/null
start_harness
wait_until 5 has_lines "$work/harness.out" '^Error registering hotkey' 1 \
  || fail "the conflicting binding was not reported"
stop_harness
cp "$work/config.saved" "$config"
swaymsg reload >/dev/null
echo "ok - a binding of the user's configuration on the same keys is reported"

# --- Firefox: its ID and the page's URL ------------------------------------------------------

mkdir -p "$work/www"
echo '<!doctype html><title>Sway page</title><p>hello</p>' >"$work/www/page.html"
start_page_server
page="$base/page.html"
MOZ_ENABLE_WAYLAND=1 start_firefox "$page"
wait_until 90 context_is "firefox-esr" "$page" || fail "Firefox's ID or URL was not seen"
echo "ok - Firefox is frontmost as firefox-esr with the page's URL"

# --- the zenity presses' lines, where the harness times them (bench/paste_sessions_figures.sh) ---

if grep -q '^press ' "$work/zenity-figures.out"; then
  echo "harness lines of the zenity presses:"
  sed 's/^/  /' "$work/zenity-figures.out"
fi
