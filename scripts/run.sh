#!/usr/bin/env bash
# Installs what is missing, builds, and starts korvid.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target korvid
exec build/default/src/korvid "$@"
