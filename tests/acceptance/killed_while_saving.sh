#!/usr/bin/env bash
# Ondrel killed with SIGKILL while it saves, ROUNDS times (default 50): the rules file is always
# the old or the new list, never torn, nothing is lost, and Ondrel starts cleanly after each.
#   killed_while_saving.sh ONDREL ONDRELCTL [ROUNDS]
source "$(dirname "$0")/lib.sh"
rounds=${1:-50}

# A large file makes every save long enough to be killed in the middle of it. Every press stamps
# the one any-application rule, so old and new differ only in its lastUsedAt.
"$syspython" - "$rules_file" <<'PY'
import json, os, sys, uuid
rules = [{"id": str(uuid.uuid4()).upper(), "name": "Everywhere", "bundleID": "*",
          "appDisplayName": "Any Application", "content": "kill test", "contentType": "plainText",
          "urlMatchMode": "domain", "isEnabled": True, "createdAt": "2024-01-02T03:04:05Z"}]
for i in range(1000):
    rules.append({"id": str(uuid.uuid4()).upper(), "name": "Padding %d" % i,
                  "bundleID": "org.example.app%d" % i, "appDisplayName": "App %d" % i,
                  "content": "x" * 5000, "contentType": "plainText", "urlMatchMode": "domain",
                  "isEnabled": True, "createdAt": "2024-01-02T03:04:05Z"})
os.makedirs(os.path.dirname(sys.argv[1]), exist_ok=True)
json.dump({"version": 1, "rules": rules}, open(sys.argv[1], "w"))
PY
"$syspython" -c 'import json,sys; r=json.load(open(sys.argv[1]))["rules"]; [x.pop("lastUsedAt",None) for x in r]; json.dump(r,open(sys.argv[2],"w"),sort_keys=True)' \
  "$rules_file" "$work/expected.json"

# intact: the file reads as the same rules, whatever the first rule's lastUsedAt says.
intact() {
  "$syspython" - "$rules_file" "$work/expected.json" <<'PY'
import json, sys
try:
    rules = json.load(open(sys.argv[1], encoding="utf-8"))["rules"]
except Exception as error:
    sys.exit("unreadable: %s" % error)
for rule in rules:
    rule.pop("lastUsedAt", None)
if json.dumps(rules, sort_keys=True) != json.dumps(json.load(open(sys.argv[2])), sort_keys=True):
    sys.exit("the rules differ from the saved list")
PY
}

# One press without a kill tells when the save comes, in milliseconds after the press.
start_ondrel
started_at=$(date +%s%N)
press_and_wait_save
save_ms=$((($(date +%s%N) - started_at) / 1000000))
stop_ondrel

killed_mid_save=0
for ((round = 1; round <= rounds; round++)); do
  start_ondrel
  grep -q 'Failed to load rules' "$work/ondrel.out" && fail "round $round: the rules did not load"
  before=$(file_stamp "$rules_file")
  press
  # Anywhere from the press to a little after the save.
  delay=$((RANDOM % (save_ms + 200)))
  sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
  kill -KILL "$ondrel_pid"
  wait "$ondrel_pid" 2>/dev/null || true
  forget_pid "$ondrel_pid"
  ondrel_pid=""
  why=$(intact 2>&1) || fail "round $round: the rules file is torn ($why)"
  # A temporary file left beside it means the kill came in the middle of writing the new list.
  partial=$(find "$(dirname "$rules_file")" -mindepth 1 ! -name rules.json)
  if [ -n "$partial" ]; then
    killed_mid_save=$((killed_mid_save + 1))
    rm -f $partial
  fi
done
ok "the save comes ${save_ms} ms after a press; $rounds kills with SIGKILL around a save: the rules file was the old or the new list every time ($killed_mid_save kills in the middle of writing)"

start_ondrel
grep -q 'Failed to load rules' "$work/ondrel.out" && fail "the rules did not load after the last kill"
stop_ondrel
ok "Ondrel starts cleanly after each kill"
