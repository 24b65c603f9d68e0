#!/usr/bin/env bash
# Prints the size of the tests against the size of the code they test:
# non-blank C++ lines (.cpp, .h) tracked by git in tests/ and fuzz/, against
# those in the product and its tools. The aim is a quarter to a third.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -- "$@" | grep -E '\.(cpp|cc|h|hpp)$' | xargs -r cat | grep -cvE '^\s*$' || true; }
tests=$(count tests fuzz)
code=$(count app saver scene model3ds image ui platform resources tools)
# One decimal, rounded up, so a figure just over a limit never reads as on it.
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.1f", int((1000 * t + c - 1) / c) / 10 }')
echo "tests: $tests non-blank lines; code: $code; tests/code: $ratio %"
