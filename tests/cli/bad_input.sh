#!/usr/bin/env bash
# Every mistake a user can make with the qlnu tool ends with one message that names the file
# and the problem, the exit status for it, and no output file left behind.
#   bad_input.sh QLNU_PROGRAM WORK_FOLDER
set -euo pipefail
qlnu=$1
mkdir -p "$2" && cd "$2"
rm -f out.*

ffmpeg -v error -y -f lavfi -i testsrc=size=64x32:rate=25 -frames:v 3 -pix_fmt yuv422p clip.y4m
ffmpeg -v error -y -f lavfi -i testsrc=size=72x30:rate=25 -frames:v 1 -pix_fmt yuv422p odd.y4m
ffmpeg -v error -y -i clip.y4m -c:v rawvideo -pix_fmt uyvy422 uyvy.avi
echo 'a shopping list, not a video' >notes.txt
"$qlnu" encode clip.y4m -o good.avi 2>/dev/null
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
damaged no-even.avi 2060 '\001\000\000\000'
damaged short-field.avi 8 '\000\004\000\000'

# status | message (a grep pattern) | command line; every output is named out.*
cases=(
  "1|missing.y4m: No such file or directory|encode missing.y4m -o out.avi"
  "1|notes.txt: not a video file FFmpeg can read|encode notes.txt -o out.avi"
  "1|odd.y4m: the picture is 72 x 30; .*multiples of 16 .*80 x 32|encode odd.y4m -o out.avi"
  "1|no-folder/out.avi: cannot write|encode clip.y4m -o no-folder/out.avi"
  "1|missing.avi: No such file or directory|decode missing.avi -o out.y4m"
  "1|clip.y4m: not an AVI file|decode clip.y4m -o out.y4m"
  "1|uyvy.avi: has no QLNU video stream|decode uyvy.avi -o out.y4m"
  "1|no-magic.avi: frame 2 is damaged: no QLN1 magic$|decode no-magic.avi -o out.y4m"
  "1|overrun.avi: frame 2 is damaged: the record at byte 4 runs past|decode overrun.avi -o out.avi"
  "1|cut-off.avi: frame 2 is damaged: a record header is cut off at byte 4112$|decode cut-off.avi -o out.avi"
  "1|two-odd.avi: frame 2 is damaged: two fields of odd lines$|decode two-odd.avi -o out.avi"
  "1|no-even.avi: frame 2 is damaged: no field of even lines$|decode no-even.avi -o out.avi"
  "1|short-field.avi: frame 2 is damaged: the field at byte 4 holds 1024 bytes, not 2048$|decode short-field.avi -o out.avi"
  "1|no-folder/out.y4m: cannot write|decode good.avi -o no-folder/out.y4m"
  "1|out.unknown-type: FFmpeg knows no file type|decode good.avi -o out.unknown-type"
  "1|no-magic.avi: 1 of 3 frames damaged|info no-magic.avi"
  "1|uyvy.avi: has no QLNU video stream|info uyvy.avi"
  "2|--input-format rgb16 is not one of|encode clip.y4m --input-format rgb16 -o out.avi"
  "2|--output-format y16a is not one of|decode good.avi --output-format y16a -o out.y4m"
  "2|FFmpeg has no video encoder named no-such-codec|decode good.avi --codec no-such-codec -o out.avi"
  "2|no -o given|encode clip.y4m"
  "2|no input file given|decode -o out.y4m"
  "2|unknown option --fast|encode clip.y4m --fast -o out.avi"
  "2|unknown command transcode|transcode clip.y4m"
)
failed=0
for case in "${cases[@]}"; do
  IFS='|' read -r status message command <<<"$case"
  actual=0
  # shellcheck disable=SC2086 # the command line is split into words on purpose
  "$qlnu" $command >/dev/null 2>errors || actual=$?
  problems=()
  [ "$actual" = "$status" ] || problems+=("status $actual, not $status")
  grep -q "^qlnu: $message" errors || problems+=("message: $(head -1 errors)")
  leftovers=$(ls out.* 2>/dev/null || true)
  [ -z "$leftovers" ] || problems+=("left behind: $leftovers")
  if [ ${#problems[@]} -gt 0 ]; then
    echo "FAILED qlnu $command: ${problems[*]}"
    failed=1
  fi
  rm -f out.*
done
{ "$qlnu" info no-magic.avi 2>/dev/null || true; } | grep -q "^frame 2 is damaged: no QLN1 magic$" ||
  { echo "FAILED: info names no damaged frame"; failed=1; }
# A job that fails before it writes leaves a file of the output's name alone.
echo kept >kept.avi
"$qlnu" decode good.avi --codec no-such-codec -o kept.avi 2>/dev/null || true
[ "$(cat kept.avi)" = kept ] || { echo "FAILED: a failed job removed a file it had not written"; failed=1; }
[ $failed -eq 0 ] && echo "${#cases[@]} bad inputs passed"
exit $failed
