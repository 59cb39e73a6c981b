#!/usr/bin/env bash
# Builds everything with the ci preset and runs every test: formatting, clang-tidy on the
# sources this branch changed, unit, interface and end-to-end tests, then a short run of each
# fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/check-format.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
scripts/tidy.sh
ctest --preset ci
scripts/fuzz.sh 30
