#!/usr/bin/env bash
# The qlnu tool against FFmpeg's own reading of what it writes: a generated 4:2:2 clip goes to
# QLNU and back byte for byte from every packed-YUV input layout (both RGB layouts give one same
# file) and through every container QLNU goes into; ffprobe sees a QLNU stream of whole frames;
# the field order, pixel shape and padded size travel; a top-field-first source comes back
# moved up a line and exactly with --swap-fields; interlaced 4:2:0 chroma stays in its field;
# full-range sources come to studio range.
#   round_trip.sh QLNU_PROGRAM WORK_FOLDER
set -euo pipefail
qlnu=$1
mkdir -p "$2" && cd "$2"
# FFmpeg would read keys from standard input, which the pipes below need.
ffmpeg() { command ffmpeg -nostdin "$@"; }
width=64 height=32 frames=3
fail() { echo "FAILED: $*" >&2; exit 1; }
raw() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt "$2" -; }
y4m_header() { head -c 100 "$1" | head -1; }
probe() { ffprobe -v error -select_streams v:0 -show_entries "$2" -of default=noprint_wrappers=1 "$1"; }
expect() { grep -qx -- "$2" <<<"$1" || fail "${3:-} expected $2 in: $1"; }
clip() { # clip NAME FILTERS PIXEL_FORMAT [SIZE]
  ffmpeg -v error -y -f lavfi -i "testsrc=size=${4:-${width}x${height}}:rate=25" \
    -frames:v $frames -vf "$2" -pix_fmt "$3" "$1"
}

clip source.y4m null yuv422p
"$qlnu" encode source.y4m -o clip.avi 2>/dev/null
"$qlnu" decode clip.avi -o back.y4m 2>/dev/null
cmp <(raw source.y4m yuv422p) <(raw back.y4m yuv422p) || fail "Y4M round trip differs"

info=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries \
  stream=codec_tag_string,width,height,r_frame_rate,nb_read_packets -show_entries packet=size,flags \
  -of default=noprint_wrappers=1 clip.avi)
for expected in codec_tag_string=QLNU width=$width height=$height r_frame_rate=25/1 \
  nb_read_packets=$frames; do
  expect "$info" "$expected" ffprobe
done
[ "$(grep -c "^size=$((2 * width * height + 20))$" <<<"$info")" -eq $frames ] ||
  fail "frames of another size than 2 x w x h + 20: $info"
[ "$(grep -c '^flags=K' <<<"$info")" -eq $frames ] || fail "frames not marked key frames: $info"

# Every packed-YUV input layout carries the same samples, so the files are the same.
for layout in yuy2 yvyu y16 y16a; do
  "$qlnu" encode source.y4m --input-format $layout -o from-$layout.avi 2>/dev/null
  cmp clip.avi from-$layout.avi || fail "encoding from $layout differs from uyvy"
done
# And so do both RGB layouts; RGB sources go to the driver as RGB.
"$qlnu" encode source.y4m --input-format rgb24 -o from-rgb24.avi 2>/dev/null
"$qlnu" encode source.y4m --input-format rgb32 -o from-rgb32.avi 2>/dev/null
cmp from-rgb24.avi from-rgb32.avi || fail "encoding from rgb32 differs from rgb24"
ffmpeg -v error -y -i source.y4m -c:v rawvideo -pix_fmt bgr24 rgb-source.nut
"$qlnu" encode rgb-source.nut -o rgb-source.avi 2>/dev/null
"$qlnu" encode rgb-source.nut --input-format rgb24 -o rgb-source-as-rgb24.avi 2>/dev/null
cmp rgb-source.avi rgb-source-as-rgb24.avi || fail "an RGB source is not compressed from rgb24"
# Interlaced ones as UYVY, whose frames hold the bottom field first.
ffmpeg -v error -y -i source.y4m -c:v rawvideo -pix_fmt bgr24 -field_order bb rgb-interlaced.mov
"$qlnu" encode rgb-interlaced.mov -o rgb-interlaced.avi 2>&1 | grep -q "compressed from uyvy$" ||
  fail "an interlaced RGB source is not compressed from uyvy"

# QLNU goes into Matroska and QuickTime too, and every output container gets the samples back.
for container in mkv mov; do
  "$qlnu" encode source.y4m -o clip.$container 2>/dev/null
  expect "$(probe clip.$container stream=codec_tag_string)" codec_tag_string=QLNU $container
  "$qlnu" decode clip.$container -o back-$container.y4m 2>/dev/null
  cmp back.y4m back-$container.y4m || fail "QLNU in $container decodes differently"
done
for output in uyvy.avi uyvy.mkv uyvy.mov uyvy.nut; do
  "$qlnu" decode clip.avi -o $output 2>/dev/null
  cmp <(raw source.y4m uyvy422) <(raw $output uyvy422) || fail "$output differs"
done
expect "$(probe uyvy.avi stream=codec_tag_string)" codec_tag_string=UYVY

# Numbered PNG pictures: FFmpeg's PNG encoder, RGB from the driver.
"$qlnu" decode clip.avi -o 'picture%02d.png' 2>/dev/null
[ "$(head -c 4 picture01.png | tail -c 3)" = PNG ] && [ -f picture0$frames.png ] ||
  fail "no PNG pictures"

# Each output layout of the driver gives the same samples back.
for layout in yuy2 yvyu y16; do
  "$qlnu" decode clip.avi --output-format $layout -o from-$layout.y4m 2>/dev/null
  cmp back.y4m from-$layout.y4m || fail "decoding to $layout differs from uyvy"
done

# The field order. Bottom-field-first and progressive sources keep their lines; a top-field-
# first source is moved up a line (its top line to the bottom), and --swap-fields moves it back.
row=$((2 * width)) picture=$((2 * width * height))
bytes() { dd if="$1" iflag=skip_bytes,count_bytes skip="$2" count="$3" status=none; }
moved_up() { # every frame of the UYVY file $1 one line higher, its top line at the bottom
  for ((frame = 0; frame < frames; frame++)); do
    bytes "$1" $((frame * picture + row)) $((picture - row))
    bytes "$1" $((frame * picture)) $row
  done
}
raw source.y4m uyvy422 >source.uyvy
# source field flag | y4m flag of the decoded file | encode options | the decoded samples
cases=(
  "setfield=bff|Ib||source.uyvy"
  "setfield=prog|Ip||source.uyvy"
  "null|Ip||source.uyvy"
  "setfield=tff|Ib||moved-up.uyvy"
  "setfield=prog|Ib|--field-order tff|moved-up.uyvy"
  "setfield=bff|Ib|--swap-fields|moved-up.uyvy"
)
moved_up source.uyvy >moved-up.uyvy
for case in "${cases[@]}"; do
  IFS='|' read -r filter flag options samples <<<"$case"
  clip fields.y4m "$filter" yuv422p
  # shellcheck disable=SC2086 # options are split into words on purpose
  "$qlnu" encode fields.y4m $options -o fields.avi 2>/dev/null
  "$qlnu" decode fields.avi -o fields-back.y4m 2>/dev/null
  [[ "$(y4m_header fields-back.y4m)" == *" $flag "* ]] ||
    fail "$filter $options: decoded as $(y4m_header fields-back.y4m), not $flag"
  cmp <(raw fields-back.y4m uyvy422) "$samples" || fail "$filter $options: the samples differ"
done
clip tff.y4m setfield=tff yuv422p
"$qlnu" encode tff.y4m -o tff.avi 2>/dev/null
"$qlnu" decode tff.avi --swap-fields -o tff-back.y4m 2>/dev/null
[[ "$(y4m_header tff-back.y4m)" == *" It "* ]] || fail "--swap-fields gives no It"
cmp <(raw tff.y4m uyvy422) <(raw tff-back.y4m uyvy422) || fail "TFF does not come back whole"
"$qlnu" info tff.avi | grep -qx "fields: bottom field first" || fail "info names no field order"
for output in bff.mkv bff.mov; do
  "$qlnu" decode tff.avi -o $output 2>/dev/null
  expect "$(probe $output stream=field_order)" field_order=bb $output
done

# Interlaced 4:2:0: a red top field and a blue bottom field keep their colours, line by line:
# each line takes the chroma of its own field's rows (rows 0, 2... the top field's).
ffmpeg -v error -y -f lavfi -i "color=red:size=${width}x$((height / 2)):rate=50" \
  -f lavfi -i "color=blue:size=${width}x$((height / 2)):rate=50" -filter_complex \
  "[0][1]interleave,tinterlace=merge,setfield=bff,fps=25" -frames:v 1 -pix_fmt yuv420p fields420.y4m
"$qlnu" encode fields420.y4m -o fields420.avi 2>/dev/null
"$qlnu" decode fields420.avi -o fields420-back.avi 2>/dev/null
raw fields420.y4m yuv420p >fields420.yuv
sample() { od -An -tu1 -j "$1" -N1 fields420.yuv | tr -d ' '; }
luma=$((width * height)) chroma_row=$((width / 2)) plane=$((width * height / 4))
top="$(sample $luma) $(sample $((luma + plane)))"
bottom="$(sample $((luma + chroma_row))) $(sample $((luma + plane + chroma_row)))"
[ "$top" != "$bottom" ] || fail "the two fields of the 4:2:0 source have one colour"
lines=$(raw fields420-back.avi uyvy422 | od -An -tu1 -w$row -v | awk '{print $1, $3}')
expected=$(for ((line = 0; line < height / 2; line++)); do echo "$top"; echo "$bottom"; done)
[ "$lines" = "$expected" ] || fail "the chroma of one field runs into the other"

# Pixel shape, and the size a padded picture had: 1080 lines come back from 1088.
clip shaped.y4m setsar=64/45 yuv422p
"$qlnu" encode shaped.y4m -o shaped.avi 2>/dev/null
"$qlnu" decode shaped.avi -o shaped-back.y4m 2>/dev/null
[[ "$(y4m_header shaped-back.y4m)" == *" A64:45 "* ]] || fail "the pixel shape is lost"
"$qlnu" decode shaped.avi -o shaped.mkv 2>/dev/null
expect "$(probe shaped.mkv stream=sample_aspect_ratio)" sample_aspect_ratio=64:45 Matroska
for fields in setfield=prog setfield=bff; do
  clip tall.y4m $fields yuv422p 48x40
  "$qlnu" encode tall.y4m --pad -o padded.avi 2>/dev/null
  "$qlnu" info padded.avi | grep -q "picture: 48 x 40 at the top left of each frame (padded to 48 x 48)" ||
    fail "$fields: info does not show the padded size"
  "$qlnu" decode padded.avi -o unpadded.y4m 2>/dev/null
  cmp <(raw tall.y4m yuv422p) <(raw unpadded.y4m yuv422p) || fail "$fields: the padding stays"
done
"$qlnu" decode padded.avi --crop none -o whole.y4m 2>/dev/null
[[ "$(y4m_header whole.y4m)" == *" H48 "* ]] || fail "--crop none does not keep the padding"
"$qlnu" decode padded.avi --crop 32x16 -o cropped.y4m 2>/dev/null
[[ "$(y4m_header cropped.y4m)" == *"W32 H16 "* ]] || fail "--crop 32x16 is not kept"

# Full-range black (as cameras and pictures give it) becomes studio-range black, whether the
# range is marked on the frames (Y4M) or in the pixel format (JPEG's yuvj formats).
for picture in full-range.y4m full-range.jpg; do
  ffmpeg -v error -y -f lavfi -i "color=black:size=${width}x${height}" -frames:v 1 \
    -pix_fmt yuvj422p $picture
  "$qlnu" encode $picture -o full-range.avi 2>/dev/null
  "$qlnu" decode full-range.avi -o studio-range.y4m 2>/dev/null
  [ "$(raw studio-range.y4m yuv422p | od -An -tu1 -N1 | tr -d ' ')" = 16 ] ||
    fail "full-range black in $picture is not brought to luma 16"
done
echo "round trip passed"
