#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, and runs every test. With
# --sanitize it does the same in the AddressSanitizer + UndefinedBehaviorSanitizer build; with
# --tsan it runs the thread, painter, media engine and banded stretch tests in the
# ThreadSanitizer build; with --fuzz it builds the fuzz targets and runs each once over its
# seeds (fuzz/corpus/<target>).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
[ "${1:-}" = "--sanitize" ] && preset=sanitize
[ "${1:-}" = "--tsan" ] && preset=tsan
[ "${1:-}" = "--fuzz" ] && preset=fuzz
bash scripts/setup.sh
# Unformatted sources fail the default run before anything is built.
if [ "$preset" = default ]; then bash scripts/format.sh --check; fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
if [ "$preset" = fuzz ]; then
  # A target without seeds, one that no longer builds, or a seed that crashes fails the run.
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  for source in fuzz/*_fuzz.cpp; do
    target=$(basename "$source" .cpp)
    corpus=fuzz/corpus/${target%_fuzz}
    [ -d "$corpus" ] || { echo "$target: no seeds in $corpus" >&2; exit 1; }
    if ! log=$("build/fuzz/fuzz/$target" -runs=0 -timeout=60 -rss_limit_mb=4096 "$corpus/" 2>&1)
    then
      printf '%s\n' "$log" | tail -n 40 >&2
      echo "$target: a seed fails" >&2
      exit 1
    fi
    echo "$target: $(printf '%s\n' "$log" | grep -m1 DONE)"
  done
  exit 0
fi
# The sanitizers' run-time options live in the test presets (CMakePresets.json).
ctest --preset "$preset"
