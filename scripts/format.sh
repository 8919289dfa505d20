#!/usr/bin/env bash
# Formats our C++ sources with the tree's .clang-format; with --check it changes nothing and
# lists the files that differ, failing when there are any.
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
[ "${1:-}" = "--check" ] && check=1
formatter=${CLANG_FORMAT:-clang-format}
command -v "$formatter" >/dev/null || { echo "format.sh: $formatter is not installed" >&2; exit 2; }
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
    'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' 'tools/*.cpp' 'tools/*.h')
if [ "$check" = 1 ]; then
    differ=0
    for f in "${files[@]}"; do
        if ! "$formatter" --style=file "$f" | cmp -s - "$f"; then
            echo "$f"
            differ=1
        fi
    done
    [ "$differ" = 0 ] || { echo "format.sh: the files above are not formatted" >&2; exit 1; }
else
    "$formatter" --style=file -i "${files[@]}"
fi
