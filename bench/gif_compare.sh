#!/usr/bin/env bash
# Whole-file GIF comparison in one run, on 20 generated grid frames of each kind (mostly
# static, fully moving):
#  (a) loading GIFs made by gif_encode and by ImageMagick, as TGIFGraphic and with giflib's
#      DGifSlurp, in megapixels per second;
#  (b) gif_encode (quantise, Floyd-Steinberg, a colour map per frame) against ImageMagick's
#      convert with the same settings: ms per frame, file size, PSNR against the sources.
# Usage: bench/gif_compare.sh [BUILD_DIR]   (default build/default; needs gif_file_bench and
# the GIF tools, which live in tools/)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/default}" && pwd)
bench=$build/bench
tools=$build/tools
convert=/usr/bin/convert
[ -x "$convert" ] || convert=$(command -v convert)
for program in "$tools/gif_frames" "$tools/gif_encode" "$tools/gif_psnr" "$bench/gif_file_bench"; do
    [ -x "$program" ] || { echo "missing $program (build the tree with the benchmarks first)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ms_since() { echo "$(( ($(date +%s%N) - $1) / 1000000 ))"; }

printf '%-8s %-12s %10s %12s %10s\n' kind encoder "ms/frame" bytes "PSNR dB"
for kind in static moving; do
    mkdir -p "$work/$kind"
    "$tools/gif_frames" "$kind" "$work/$kind"
    frames=("$work/$kind"/frame*.bmp)
    n=${#frames[@]}

    start=$(date +%s%N)
    "$tools/gif_encode" "${frames[@]}" -o "$work/ours-$kind.gif" > /dev/null
    ours_ms=$(ms_since "$start")
    start=$(date +%s%N)
    "$convert" "${frames[@]}" -dither FloydSteinberg -colors 256 -delay 33 -loop 0 \
        "$work/im-$kind.gif"
    im_ms=$(ms_since "$start")

    for who in ours im; do
        file=$work/$who-$kind.gif
        ms=$([ "$who" = ours ] && echo "$ours_ms" || echo "$im_ms")
        psnr=$("$tools/gif_psnr" "$file" "${frames[@]}" | tail -1 | awk '{print $2}')
        printf '%-8s %-12s %10.1f %12d %10s\n' "$kind" \
            "$([ "$who" = ours ] && echo gif_encode || echo convert)" \
            "$(echo "$ms / $n" | bc -l)" "$(stat -c %s "$file")" "$psnr"
    done
done
echo
# Made by: ours = gif_encode, im = convert.
(cd "$work" && "$bench/gif_file_bench" ours-static.gif ours-moving.gif im-static.gif im-moving.gif)
