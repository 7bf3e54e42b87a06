#!/usr/bin/env bash
# The qlnu tool keeps the sound and the timing of what it converts and works in pipes: sound is
# copied where the container takes it and converted where it does not, frames a capture
# program dropped stay dropped, variable-rate timing is kept, picture sequences take --rate,
# and "-" reads standard input and writes standard output.
#   streams.sh QLNU_PROGRAM WORK_FOLDER
set -euo pipefail
qlnu=$1
mkdir -p "$2" && cd "$2"
# FFmpeg would read keys from standard input, which the pipes below need.
ffmpeg() { command ffmpeg -nostdin "$@"; }
fail() { echo "FAILED: $*" >&2; exit 1; }
raw() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt uyvy422 -; }
sound() { ffmpeg -v error -i "$1" -map 0:a -f s16le -; }
probe() { ffprobe -v error "${@:3}" -show_entries "$2" -of csv=p=0 "$1"; }
summary() { "$qlnu" "$@" 2>&1 >/dev/null | tail -1; }

# One second of 64 x 32 pictures with stereo PCM sound, and the same sound as AAC.
ffmpeg -v error -y -f lavfi -i testsrc=size=64x32:rate=25 -f lavfi \
  -i "sine=frequency=440:sample_rate=48000,aformat=channel_layouts=stereo" -t 1 \
  -c:v rawvideo -pix_fmt uyvy422 -c:a pcm_s16le pcm.mkv
ffmpeg -v error -y -i pcm.mkv -c:v copy -c:a aac aac.mkv
# Lossless sound of 16 and 24 bits, which AVI takes as PCM of as many bits.
ffmpeg -v error -y -i pcm.mkv -c:v copy -c:a flac flac16.mkv
ffmpeg -v error -y -i pcm.mkv -c:v copy -c:a flac -sample_fmt s32 flac24.mkv

# PCM is copied sample for sample into the QLNU AVI and out of it again.
"$qlnu" encode pcm.mkv -o pcm.avi 2>/dev/null
"$qlnu" info pcm.avi | grep -qx "sound: pcm_s16le, 48000 Hz, stereo" || fail "info shows no sound"
"$qlnu" decode pcm.avi -o pcm-back.mkv 2>/dev/null
cmp <(sound pcm.mkv) <(sound pcm-back.mkv) || fail "PCM sound is not copied"
cmp <(raw pcm.mkv) <(raw pcm-back.mkv) || fail "the pictures beside the sound differ"
# the summary's sound (a grep pattern) | command line
cases=(
  "sound aac converted to pcm_s16le$|encode aac.mkv -o out.avi"
  "sound flac converted to pcm_s16le$|encode flac16.mkv -o out.avi"
  "sound flac converted to pcm_s24le$|encode flac24.mkv -o out.avi"
  "sound aac copied$|encode aac.mkv -o out.mkv"
  "sound pcm_s16le converted to aac$|decode pcm.avi -o out.mp4 --pix-fmt yuv420p"
  "sound left out: YUV4MPEG pipe holds no sound|decode pcm.avi -o out.y4m"
  "sound left out (--no-audio)$|decode pcm.avi --no-audio -o out.mkv"
)
for case in "${cases[@]}"; do
  IFS='|' read -r pattern command <<<"$case"
  # shellcheck disable=SC2086 # the command line is split into words on purpose
  grep -q "$pattern" <<<"$(summary $command)" || fail "qlnu $command: $(summary $command)"
  expected=$([[ "$command" == *--no-audio* || "$command" == *.y4m* ]] && echo 0 || echo 1)
  [ "$(probe out.* stream=codec_type | grep -c audio)" = "$expected" ] ||
    fail "qlnu $command: $expected sound streams expected"
  rm -f out.*
done
# Converted sound lasts as long as the pictures.
"$qlnu" encode aac.mkv -o aac.avi 2>/dev/null
duration=$(probe aac.avi stream=duration | sort -n | tail -1)
awk -v d="$duration" 'BEGIN { exit !(d > 0.95 && d < 1.1) }' || fail "the sound lasts $duration s"

# Frames a capture program dropped (empty chunks) and variable-rate timing stay where they were.
ffmpeg -v error -y -i pcm.mkv -an -frames:v 10 -c copy -bsf:v "setts=ts=if(gte(N\,5)\,TS+2*DURATION\,TS)" \
  -fps_mode passthrough gaps.mkv
# An empty video chunk: its id and size 0, then the next chunk's id.
empty_chunks() { grep -obUaP '00dc\x00{4}(?=\d\d(dc|db|wb))' "$1" | wc -l; }
# output | frames written | empty chunks | summary (a grep pattern)
cases=(
  "gaps.avi|10|2|2 frames missing from the input kept as empty chunks"
  "gaps-qlnu.mkv|10|0|2 frames missing from the input kept as gaps"
)
for case in "${cases[@]}"; do
  IFS='|' read -r output frames chunks pattern <<<"$case"
  grep -q "$pattern" <<<"$(summary encode gaps.mkv -o $output)" || fail "$output: no gap said"
  [ "$(empty_chunks $output)" = "$chunks" ] || fail "$output: not $chunks empty chunks"
  [ "$(probe $output stream=nb_read_packets -count_packets)" = "$frames" ] ||
    fail "$output: not $frames frames"
done
[ "$(probe gaps-qlnu.mkv packet=pts | tr '\n' ' ')" = "$(probe gaps.mkv packet=pts | tr '\n' ' ')" ] ||
  fail "the times of the frames are not kept"
"$qlnu" info gaps.avi | grep -q "10 frames: .*; 2 dropped" || fail "info counts no dropped frames"
for output in back.avi back.mkv back.y4m; do
  "$qlnu" decode gaps.avi -o $output 2>/dev/null
done
[ "$(empty_chunks back.avi)" = 2 ] || fail "the decoded AVI lost its empty chunks"
[ "$(probe back.mkv packet=pts | tr '\n' ' ')" = "$(probe gaps.mkv packet=pts | tr '\n' ' ')" ] ||
  fail "the decoded Matroska file lost the gaps"
# Y4M keeps no time: the frame before each gap is shown again.
ffmpeg -v error -i gaps.mkv -fps_mode passthrough -f rawvideo -pix_fmt uyvy422 - >gaps.uyvy
frame() { dd if=gaps.uyvy bs=4096 skip="$1" count="$2" status=none; }
cmp <(frame 0 5; frame 4 1; frame 4 1; frame 5 5) <(raw back.y4m) ||
  fail "Y4M does not repeat the frame before a gap"

# Picture sequences take their rate from --rate, 25 a second without it.
ffmpeg -v error -y -i pcm.mkv -frames:v 3 'picture%02d.png'
"$qlnu" encode 'picture%02d.png' -o pictures.avi 2>/dev/null
[ "$(probe pictures.avi stream=r_frame_rate)" = 25/1 ] || fail "pictures are not 25 a second"
"$qlnu" encode 'picture%02d.png' --rate 30000/1001 -o pictures.avi 2>/dev/null
[ "$(probe pictures.avi stream=r_frame_rate)" = 30000/1001 ] || fail "--rate is not kept"

# Pipes: a stream in, a stream out, and through two qlnu commands.
ffmpeg -v error -i pcm.mkv -f yuv4mpegpipe -pix_fmt yuv422p - | "$qlnu" encode - -o piped.avi 2>/dev/null
"$qlnu" decode piped.avi -o - -f yuv4mpegpipe 2>/dev/null | ffmpeg -v error -i - -f rawvideo \
  -pix_fmt uyvy422 - | cmp - <(raw pcm.mkv) || fail "Y4M to standard output differs"
"$qlnu" encode pcm.mkv -o - -f matroska 2>/dev/null | "$qlnu" decode - -o through-pipes.mkv 2>/dev/null
cmp <(sound pcm.mkv) <(sound through-pipes.mkv) || fail "the sound does not go through pipes"
cmp <(raw pcm.mkv) <(raw through-pipes.mkv) || fail "the pictures do not go through pipes"
echo "streams passed"
