#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. With --sanitize it does the same in
# the AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
[ "${1:-}" = "--sanitize" ] && preset=sanitize
bash scripts/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1
ctest --preset "$preset"
