#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, and runs every test. With
# --sanitize it does the same in the AddressSanitizer + UndefinedBehaviorSanitizer build; with
# --tsan it runs the thread, painter and media tests in the ThreadSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
[ "${1:-}" = "--sanitize" ] && preset=sanitize
[ "${1:-}" = "--tsan" ] && preset=tsan
bash scripts/setup.sh
# Unformatted sources fail the default run before anything is built.
if [ "$preset" = default ]; then bash scripts/format.sh --check; fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
# The sanitizers' run-time options live in the test presets (CMakePresets.json).
ctest --preset "$preset"
