#!/usr/bin/env bash
# Every mistake a user can make with the qlnu tool ends with one message that names the file
# and the real problem, the exit status for it, and no output file left behind; damaged QLNU
# files give every good frame, name each damaged one and end with status 3.
#   bad_input.sh QLNU_PROGRAM WORK_FOLDER
set -euo pipefail
shopt -s nullglob
qlnu=$1
mkdir -p "$2" && cd "$2"
# FFmpeg would read keys from standard input, which the pipes below need.
ffmpeg() { command ffmpeg -nostdin "$@"; }
# What an earlier run left, whatever it was, does not count against this one.
[ ! -d locked ] || chmod u+w locked
rm -rf out.* .*.qlnu-* locked

ffmpeg -v error -y -f lavfi -i testsrc=size=64x32:rate=25 -frames:v 3 -pix_fmt yuv422p clip.y4m
ffmpeg -v error -y -f lavfi -i testsrc=size=72x32:rate=25 -frames:v 1 -pix_fmt yuv422p odd.y4m
ffmpeg -v error -y -i clip.y4m -c:v rawvideo -pix_fmt uyvy422 uyvy.avi
echo 'a shopping list, not a video' >notes.txt
"$qlnu" encode clip.y4m -o good.avi 2>/dev/null
ln -sf good.avi link.avi
ln -f good.avi hard.avi
cp good.avi kept.avi
# A folder and a file this user may not write or read (as root: run as nobody).
mkdir -p locked && touch locked/secret.y4m && chmod 000 locked/secret.y4m && chmod 555 locked
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

# Copies of good.avi with bytes of its second frame overwritten: damaged NAME FRAME_OFFSET BYTES.
# A 64 x 32 frame: magic, a record of the odd field at byte 4, one of the even field at 2060.
second_frame=$(grep -obUa QLN1 good.avi | sed -n 2p | cut -d: -f1)
damaged() {
  cp good.avi "$1"
  printf "$3" | dd of="$1" bs=1 seek=$((second_frame + $2)) conv=notrunc status=none
}
damaged no-magic.avi 0 'XLN1'
damaged overrun.avi 8 '\011\020\000\000'                      # 4105 bytes where 4104 are left
damaged cut-off.avi 2060 '\001\000\000\000\374\007\000\000'  # not a field, 4 bytes short
damaged two-odd.avi 2060 '\000\000\000\200'
damaged short-field.avi 8 '\000\004\000\000'
damaged one-field.avi 2060 '\001\000\000\000'                 # the even field is not a field
head -c $((second_frame + 3000)) good.avi >truncated.avi
head -c $((second_frame - 8)) good.avi >between.avi          # cut before the second chunk
# A QLNU AVI whose format says 72 x 30, a size the driver does not take.
cp good.avi odd-qlnu.avi
format=$(grep -obUa strf good.avi | head -1 | cut -d: -f1)
printf '\110\000\000\000\036\000\000\000' |
  dd of=odd-qlnu.avi bs=1 seek=$((format + 12)) conv=notrunc status=none

# status | message (a grep pattern) | command line; every output is named out.*
cases=(
  "1|missing.y4m: No such file or directory|encode missing.y4m -o out.avi"
  "1|notes.txt: not a video file FFmpeg can read|encode notes.txt -o out.avi"
  "1|odd.y4m: the picture is 72 x 32; .*multiples of 16 .*80 x 32|encode odd.y4m -o out.avi"
  "1|good.avi: holds QLNU video already|encode good.avi -o out.avi"
  "1|out.mp4: QLNU video goes into AVI (.avi), Matroska (.mkv) or QuickTime (.mov) files, not MP4|encode clip.y4m -o out.mp4"
  "1|no-folder/out.avi: cannot create a temporary file in no-folder/ .*: No such file or directory|encode clip.y4m -o no-folder/out.avi"
  "1|missing.avi: No such file or directory|decode missing.avi -o out.y4m"
  "1|clip.y4m: has no QLNU video stream|decode clip.y4m -o out.y4m"
  "1|uyvy.avi: has no QLNU video stream|decode uyvy.avi -o out.y4m"
  "1|odd-qlnu.avi: its QLNU frames are 72 x 30, which the driver does not decode|decode odd-qlnu.avi -o out.y4m"
  "1|no-folder/out.y4m: cannot create a temporary file in no-folder/ .*: No such file or directory|decode good.avi -o no-folder/out.y4m"
  "1|out.unknown-type: FFmpeg knows no file type by this name (try .avi, .mkv, .y4m or frame%04d.png)|decode good.avi -o out.unknown-type"
  "1|out.unknown-type: FFmpeg knows no file type by this name (try .avi, .mkv or .mov)|encode clip.y4m -o out.unknown-type"
  "1|good.avi: is the input file|decode good.avi -o good.avi"
  "1|link.avi: is the input file|decode good.avi -o link.avi"
  "1|clip.y4m: is the input file|encode clip.y4m -o clip.y4m"
  "1|hard.avi: is the input file|decode good.avi -o hard.avi"
  "1|uyvy.avi: has no QLNU video stream|info uyvy.avi"
  "1|odd-qlnu.avi: its frames are 72 x 30|info odd-qlnu.avi"
  "2|name the container of standard output with -f (-f nut, -f matroska or -f yuv4mpegpipe)|decode good.avi -o -"
  "2|name the container of standard output with -f (-f matroska)|encode clip.y4m -o -"
  "2|--input-format rgb16 is not one of rgb24, rgb32|encode clip.y4m --input-format rgb16 -o out.avi"
  "2|--output-format y16a is not one of|decode good.avi --output-format y16a -o out.y4m"
  "2|--field-order middle is not one of tff, bff, progressive|encode clip.y4m --field-order middle -o out.avi"
  "2|--rate is for picture sequences; clip.y4m keeps its own time|encode clip.y4m --rate 30 -o out.avi"
  "2|--rate fast is not a frame rate|encode clip.y4m --rate fast -o out.avi"
  "2|--crop 63x16 is not WIDTHxHEIGHT of even numbers|decode good.avi --crop 63x16 -o out.y4m"
  "2|--crop 64x48 is larger than the frames, 64 x 32|decode good.avi --crop 64x48 -o out.y4m"
  "2|--on-damage explode is not one of skip, repeat, stop|decode good.avi --on-damage explode -o out.y4m"
  "2|FFmpeg has no video encoder named no-such-codec|decode good.avi --codec no-such-codec -o out.avi"
  "2|FFmpeg writes no container called no-such-format|decode good.avi -f no-such-format -o out.avi"
  "2|no -o given|encode clip.y4m"
  "2|no input file given|decode -o out.y4m"
  "2|unknown option --fast|encode clip.y4m --fast -o out.avi"
  "2|unknown command transcode|transcode clip.y4m"
)
failed=0
check() { # check STATUS MESSAGE ACTUAL_STATUS COMMAND: the status and the first error line
  local problems=()
  [ "$3" = "$1" ] || problems+=("status $3, not $1")
  [ -z "$2" ] || grep -q "^qlnu: $2" errors ||
    problems+=("message: $(grep -m1 '^qlnu' errors || true)")
  if [ ${#problems[@]} -gt 0 ]; then
    echo "FAILED qlnu $4: ${problems[*]}"
    failed=1
  fi
}
for case in "${cases[@]}"; do
  IFS='|' read -r status message command <<<"$case"
  actual=0
  # shellcheck disable=SC2086 # the command line is split into words on purpose
  "$qlnu" $command >/dev/null 2>errors || actual=$?
  check "$status" "$message" $actual "$command"
  leftovers=(out.* .*.qlnu-*)
  [ ${#leftovers[@]} -eq 0 ] || { echo "FAILED qlnu $command: left behind: ${leftovers[*]}"; failed=1; }
  rm -f out.*
done
# Standard output appended to the input is the input too.
actual=0
"$qlnu" decode good.avi -o - -f nut >>good.avi 2>errors || actual=$?
check 1 "standard output: is the input file" $actual "decode good.avi -o - >>good.avi"
for file in good.avi hard.avi link.avi; do
  cmp -s kept.avi $file || { echo "FAILED: a refused job changed $file"; failed=1; }
done
[ -L link.avi ] || { echo "FAILED: the link is no longer a link"; failed=1; }

# The system's own reason: a file that may not be read, a folder that may not be written.
actual=0
"${as_user[@]}" "$qlnu" encode locked/secret.y4m -o out.avi >/dev/null 2>errors || actual=$?
check 1 "locked/secret.y4m: Permission denied" $actual "encode locked/secret.y4m"
actual=0
"${as_user[@]}" "$qlnu" decode good.avi -o locked/out.y4m >/dev/null 2>errors || actual=$?
check 1 "locked/out.y4m: cannot create a temporary file in locked/ (where it is written first): Permission denied" \
  $actual "decode -o locked/out.y4m"
# AVI cannot go to a pipe: its writer goes back to finish it.
actual=0
"$qlnu" encode clip.y4m -f avi -o - 2>errors | cat >/dev/null || actual=${PIPESTATUS[0]}
check 1 "standard output: AVI .* cannot be written to a pipe.*; stream with -f matroska$" $actual \
  "encode -o - -f avi"

# Damaged files: status | file | frames written | the message (a grep pattern) | options
cases=(
  "3|no-magic.avi|2|frame 2 is damaged (no QLN1 magic); left out|"
  "3|overrun.avi|2|frame 2 is damaged (the record at byte 4 runs past the frame's end)|"
  "3|cut-off.avi|2|frame 2 is damaged (a record header is cut off at byte 4112)|"
  "3|two-odd.avi|2|frame 2 is damaged (two fields of odd lines)|"
  "3|short-field.avi|2|frame 2 is damaged (the field at byte 4 holds 1024 bytes, not 2048)|"
  "3|truncated.avi|1|frame 2 is damaged (the file ends inside it)|"
  "3|truncated.avi|1|the file is truncated: it ends inside frame 2 of the 3 its header states|"
  "3|between.avi|1|the file is truncated: it ends after frame 1 of the 3 its header states|"
  "3|no-magic.avi|3|frame 2 is damaged (no QLN1 magic); the frame before is shown again|--on-damage repeat"
  "3|no-magic.avi|1|frame 2 is damaged (no QLN1 magic); the job stops here|--on-damage stop"
  "0|one-field.avi|3||"
)
for case in "${cases[@]}"; do
  IFS='|' read -r status file frames message options <<<"$case"
  actual=0
  # shellcheck disable=SC2086 # options are split into words on purpose
  "$qlnu" decode $file $options -o out.avi >/dev/null 2>errors || actual=$?
  check "$status" "${message:+$file: $message}" $actual "decode $file $options"
  written=$(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 \
    out.avi 2>/dev/null || echo none)
  [ "$written" = "$frames" ] || { echo "FAILED decode $file $options: $written frames"; failed=1; }
  rm -f out.*
done
# A source picture FFmpeg cannot decode is left out, its period an empty chunk.
ffmpeg -v error -y -i clip.y4m 'source%d.png'
head -c 100 source2.png >cut.png && mv cut.png source2.png
actual=0
"$qlnu" encode 'source%d.png' -o out.avi >/dev/null 2>errors || actual=$?
check 3 "source%d.png: the video is damaged near 0.040 s; its pictures are left out" $actual \
  "encode source%d.png"
"$qlnu" info out.avi | grep -q "^2 frames: .*; 1 dropped" || { echo "FAILED: no dropped frame"; failed=1; }
rm -f out.*
# A one-field frame is shown line-doubled: each line of frame 2 twice.
"$qlnu" decode one-field.avi -o out.avi 2>errors
grep -q "1 one-field frame shown line-doubled" errors || { echo "FAILED: one-field frame"; failed=1; }
ffmpeg -v error -i out.avi -f rawvideo -pix_fmt uyvy422 - | od -An -tx1 -w128 -v | sed -n 33,64p |
  awk 'NR % 2 == 1 { even = $0 } NR % 2 == 0 && $0 != even { bad = 1 } END { exit bad }' ||
  { echo "FAILED: the one-field frame is not line-doubled"; failed=1; }
rm -f out.*
# info names each damaged frame and the truncation, and ends with status 3.
actual=0
"$qlnu" info no-magic.avi >report 2>errors || actual=$?
check 3 "no-magic.avi: 1 of 3 frames damaged" $actual "info no-magic.avi"
grep -q "^frame 2 is damaged: no QLN1 magic$" report || { echo "FAILED: info names no damaged frame"; failed=1; }
actual=0
"$qlnu" info truncated.avi >report 2>errors || actual=$?
check 3 "truncated.avi: truncated; 1 of 2 frames damaged" $actual "info truncated.avi"
grep -q "^the file is truncated: it ends inside frame 2 of the 3 its header states$" report ||
  { echo "FAILED: info does not say the file is truncated"; failed=1; }
[ $failed -eq 0 ] && echo "bad inputs passed"
exit $failed
