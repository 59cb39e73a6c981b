#!/usr/bin/env bash
# Runs clang-tidy (the committed .clang-tidy) over the project's own C++ sources, with the
# compile commands of the ci build. By default only the sources changed since BASE (default:
# where this branch left main) are checked, which keeps a CI run short; --all checks them all.
# Fails when clang-tidy reports a warning.
#
#   scripts/tidy.sh [--all] [BASE]
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/ci
[ -f "$build/compile_commands.json" ] || { echo "tidy: configure the ci preset first" >&2; exit 66; }

if [ "${1:-}" = "--all" ]; then
  files=$(git ls-files -- 'src/*.cpp' 'tools/*.cpp')
else
  base=${1:-$(git merge-base HEAD main 2>/dev/null || git rev-list --max-parents=0 HEAD)}
  files=$(git diff --name-only --diff-filter=AMR "$base" -- 'src/*.cpp' 'tools/*.cpp')
fi
[ -n "$files" ] || { echo "tidy: no sources to check"; exit 0; }

# Generated sources (moc, resources) are not ours; the header filter keeps reports to src/.
# shellcheck disable=SC2086
output=$(nice run-clang-tidy -quiet -p "$build" -j 2 $files 2>&1 | sed "s/\x1b\[[0-9;]*m//g") || true
if grep -E '(warning|error): ' <<<"$output" | grep -v '^Suppressed' >/dev/null; then
  grep -E -A3 '(warning|error): ' <<<"$output" >&2
  echo "tidy: clang-tidy reported problems" >&2
  exit 1
fi
echo "tidy: $(wc -w <<<"$files") sources clean"
