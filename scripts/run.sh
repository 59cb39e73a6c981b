#!/usr/bin/env bash
# Builds Ondrel and starts it. Until the tray application lands, this shows what
# ondrelctl makes of the example rules file.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target ondrelctl
ondrelctl=build/dev/tools/ondrelctl/ondrelctl
"$ondrelctl" check examples/rules.json
"$ondrelctl" match --rules examples/rules.json --app firefox-esr --url https://mail.example.com/inbox
