#!/usr/bin/env bash
# Prints the weight of the tests against the code: non-blank, non-comment C++ lines in tests/
# against src/ + tools/, as tracked by git (so build trees and scratch files never count).
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  git ls-files -- "$@" | grep -E '\.(cpp|h)$' | xargs -r cat | python3 -c '
import re, sys
text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), sys.stdin.read(), flags=re.S)
print(sum(1 for line in text.splitlines() if line.strip() and not line.strip().startswith("//")))'
}

tests=$(count tests)
code=$(count src tools)
python3 -c "import sys; t, c = int(sys.argv[1]), int(sys.argv[2]); print(f'tests {t} / code {c} = {t / c:.2f}')" "$tests" "$code"
