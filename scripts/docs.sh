#!/usr/bin/env bash
# Remakes the README's pictures: the sample picture (drawn by
# scripts/make_sample.py), a thumbnail of every command applied to it by
# pixpad-batch, and screenshots of the real editor and the custom filter
# dialog taken under Xvfb. Writes docs/img/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
dir=${PIXPAD_BUILD_DIR:-build}
cmake --build "$dir" --target pixpad_screenshots
out=docs/img
mkdir -p "$out"
sample=$(mktemp --suffix=.bmp)
trap 'rm -f "$sample"' EXIT
python3 scripts/make_sample.py "$sample"

batch="$dir/pixpad-batch"
"$batch" "$sample" "$out/sample.png"
for word in invert red green blue grayscale mask solarize smooth edge sharpen emboss diffuse \
            flip-horizontal flip-vertical; do
  "$batch" --quiet "$sample" "$out/cmd-$word.png" "$word"
done
"$batch" --quiet "$sample" "$out/cmd-resize.png" resize:120:120
"$batch" --quiet "$sample" "$out/cmd-custom.png" custom:3:1:0:0,-1,0,-1,5,-1,0,-1,0

xvfb-run -a -s "-screen 0 1024x768x24" "$dir/pixpad_screenshots" "$sample" "$out"
