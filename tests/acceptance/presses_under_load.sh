#!/usr/bin/env bash
# PRESSES presses in a row (default 200) into zenity while two busy loops keep the processors
# occupied: every press pastes the rule's text, and after every one the clipboard that xclip
# owned comes back byte-exact.
#   presses_under_load.sh ONDREL ONDRELCTL [PRESSES]
source "$(dirname "$0")/lib.sh"
presses=${1:-200}

text="Ondrel under load ✓ "
write_rules "$(rule "Zenity" "wmclass:Zenity" "$text")"
head -c 100000 /dev/urandom >"$work/clipboard.bin"
own_clipboard "$work/clipboard.bin" application/x-user-data

for _ in 1 2; do
  bash -c 'while :; do :; done' &
  started+=($!)
done
start_ondrel
start_zenity "under load"
for ((i = 1; i <= presses; i++)); do
  press_and_wait_save
  wait_until 5 clipboard_is "$work/clipboard.bin" application/x-user-data ||
    fail "after press $i the clipboard was not the user's"
done
ok "after each of $presses presses the clipboard came back byte-exact"
expected=$("$syspython" -c 'import sys; print(sys.argv[1] * int(sys.argv[2]), end="")' "$text" "$presses")
got=$(finish_zenity)
[ "$got" = "$expected" ] || [ "$got" = "${expected% }" ] ||
  fail "zenity did not get the text $presses times: $(printf '%s' "$got" | grep -o 'load' | wc -l) copies"
ok "zenity got the rule's text $presses times"
stop_ondrel
