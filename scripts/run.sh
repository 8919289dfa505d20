#!/usr/bin/env bash
# Installs what is missing, builds, and starts korvid.
#   KORVID_BUILD_DIR  a configured build folder to build and start from (default: the
#                     default preset's), for tests that start the program they built
#   KORVID_SKIP_SETUP 1: do not run the set-up script
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${KORVID_SKIP_SETUP:-0}" != 1 ]]; then bash scripts/setup.sh; fi
if [[ -n "${KORVID_BUILD_DIR:-}" ]]; then
  cmake --build "$KORVID_BUILD_DIR" --target korvid >/dev/null
  exec "$KORVID_BUILD_DIR/src/korvid" "$@"
fi
cmake --preset default >/dev/null
cmake --build --preset default --target korvid
exec build/default/src/korvid "$@"
