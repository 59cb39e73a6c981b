#!/usr/bin/env bash
# Builds Ondrel and starts it on your display: the tray icon appears, Super+Shift+V pastes.
# A second start while one runs opens the running one's settings window.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target ondrel
exec build/dev/src/app/ondrel
