#!/usr/bin/env bash
# The qlnu tool against FFmpeg's own reading of what it writes: a generated 4:2:2 clip goes to
# QLNU and back byte for byte from every packed-YUV input layout (both RGB layouts give one same
# file), ffprobe sees a QLNU stream of whole frames, a UYVY AVI decodes to the source's samples,
# --swap-fields moves every line down by one, and full-range sources come to studio range.
#   round_trip.sh QLNU_PROGRAM WORK_FOLDER
set -euo pipefail
qlnu=$1
mkdir -p "$2" && cd "$2"
width=64 height=32 frames=3
fail() { echo "FAILED: $*" >&2; exit 1; }
raw() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt "$2" -; }

ffmpeg -v error -y -f lavfi -i "testsrc=size=${width}x${height}:rate=25" -frames:v $frames \
  -pix_fmt yuv422p source.y4m

"$qlnu" encode source.y4m -o clip.avi
"$qlnu" decode clip.avi -o back.y4m
cmp <(raw source.y4m yuv422p) <(raw back.y4m yuv422p) || fail "Y4M round trip differs"

probe=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries \
  stream=codec_tag_string,width,height,r_frame_rate,nb_read_packets -show_entries packet=size,flags \
  -of default=noprint_wrappers=1 clip.avi)
for expected in codec_tag_string=QLNU width=$width height=$height r_frame_rate=25/1 \
  nb_read_packets=$frames; do
  grep -qx "$expected" <<<"$probe" || fail "ffprobe does not show $expected: $probe"
done
[ "$(grep -c "^size=$((2 * width * height + 20))$" <<<"$probe")" -eq $frames ] ||
  fail "frames of another size than 2 x w x h + 20: $probe"
[ "$(grep -c '^flags=K' <<<"$probe")" -eq $frames ] || fail "frames not marked key frames: $probe"

# Every packed-YUV input layout carries the same samples, so the files are the same.
for layout in yuy2 yvyu y16 y16a; do
  "$qlnu" encode source.y4m --input-format $layout -o from-$layout.avi
  cmp clip.avi from-$layout.avi || fail "encoding from $layout differs from uyvy"
done
# And so do both RGB layouts.
"$qlnu" encode source.y4m --input-format rgb24 -o from-rgb24.avi
"$qlnu" encode source.y4m --input-format rgb32 -o from-rgb32.avi
cmp from-rgb24.avi from-rgb32.avi || fail "encoding from rgb32 differs from rgb24"
# RGB sources go to the driver as RGB.
ffmpeg -v error -y -i source.y4m -c:v rawvideo -pix_fmt bgr24 rgb-source.nut
"$qlnu" encode rgb-source.nut -o rgb-source.avi
"$qlnu" encode rgb-source.nut --input-format rgb24 -o rgb-source-as-rgb24.avi
cmp rgb-source.avi rgb-source-as-rgb24.avi || fail "an RGB source is not compressed from rgb24"

"$qlnu" decode clip.avi -o uyvy.avi
grep -qx codec_tag_string=UYVY <<<"$(ffprobe -v error -show_entries stream=codec_tag_string \
  -of default=noprint_wrappers=1 uyvy.avi)" || fail "the decoded AVI is not tagged UYVY"
cmp <(raw source.y4m uyvy422) <(raw uyvy.avi uyvy422) || fail "UYVY AVI differs"

# Numbered PNG pictures: FFmpeg's PNG encoder, RGB from the driver.
"$qlnu" decode clip.avi -o 'picture%02d.png'
[ "$(head -c 4 picture01.png | tail -c 3)" = PNG ] && [ -f picture0$frames.png ] ||
  fail "no PNG pictures"

# Each output layout of the driver gives the same samples back.
for layout in yuy2 yvyu y16; do
  "$qlnu" decode clip.avi --output-format $layout -o from-$layout.y4m
  cmp back.y4m from-$layout.y4m || fail "decoding to $layout differs from uyvy"
done

# Swapped fields: each picture one line lower, its bottom line on top.
"$qlnu" decode clip.avi --swap-fields -o swapped.avi
row=$((2 * width)) picture=$((2 * width * height))
raw source.y4m uyvy422 >source.uyvy
raw swapped.avi uyvy422 >swapped.uyvy
for ((frame = 0; frame < frames; frame++)); do
  start=$((frame * picture))
  cmp <(tail -c +$((start + picture - row + 1)) source.uyvy | head -c $row
        tail -c +$((start + 1)) source.uyvy | head -c $((picture - row))) \
      <(tail -c +$((start + 1)) swapped.uyvy | head -c $picture) ||
    fail "frame $frame is not shifted down by one line"
done

"$qlnu" info clip.avi | grep -q "^$frames frames, 0 damaged$" || fail "info finds damage"

# Full-range black (as cameras and pictures give it) becomes studio-range black, whether the
# range is marked on the frames (Y4M) or in the pixel format (JPEG's yuvj formats).
for picture in full-range.y4m full-range.jpg; do
  ffmpeg -v error -y -f lavfi -i "color=black:size=${width}x${height}" -frames:v 1 \
    -pix_fmt yuvj422p $picture
  "$qlnu" encode $picture -o full-range.avi
  "$qlnu" decode full-range.avi -o studio-range.y4m
  [ "$(raw studio-range.y4m yuv422p | od -An -tu1 -N1 | tr -d ' ')" = 16 ] ||
    fail "full-range black in $picture is not brought to luma 16"
done

# Sizes that are not multiples of 16 are padded on request.
ffmpeg -v error -y -f lavfi -i "testsrc=size=50x30:rate=25" -frames:v 1 -pix_fmt yuv422p odd.y4m
"$qlnu" encode odd.y4m --pad -o padded.avi
"$qlnu" info padded.avi | grep -q "64 x 32" || fail "padding did not make 64 x 32"
echo "round trip passed"
