#!/usr/bin/env bash
# The qlnu tool never loses what an output path held: a finished job replaces a file (through
# its symbolic link, keeping its permissions); a failed or interrupted one leaves it as it was
# and no temporary file behind; pipes, devices and standard output are written directly and
# never removed, a file behind standard output is cut back. Ctrl-C stops a job within a second
# even while its input stalls, with status 130 (ended by the signal, which stops a shell loop),
# and a second one ends it at once.
#   safety.sh QLNU_PROGRAM WORK_FOLDER
set -euo pipefail
shopt -s nullglob
qlnu=$1
mkdir -p "$2" && cd "$2"
ffmpeg() { command ffmpeg -nostdin "$@"; }
rm -f ./*.avi ./*.y4m ./.*qlnu-* stall pipe-out log.txt loop.out
fail() { echo "FAILED: $*" >&2; exit 1; }
no_temporary_files() {
  local left=(.*.qlnu-*)
  [ ${#left[@]} -eq 0 ] || fail "$1: a temporary file is left: ${left[*]}"
}

ffmpeg -v error -y -f lavfi -i testsrc=size=64x32:rate=25 -frames:v 50 -pix_fmt yuv422p clip.y4m
"$qlnu" encode clip.y4m -o clip.avi 2>/dev/null

# A finished job replaces the file a link leads to; the link stays and so do the permissions.
echo "an older file" >older.y4m
chmod 640 older.y4m
ln -sf older.y4m link.y4m
"$qlnu" decode clip.avi -o link.y4m 2>/dev/null
[ -L link.y4m ] && [ "$(head -c 9 older.y4m)" = YUV4MPEG2 ] || fail "the link's file is not replaced"
[ "$(stat -c %a older.y4m)" = 640 ] || fail "the replaced file lost its permissions"
no_temporary_files "a finished job"

# A job that fails while it writes leaves the old file and no temporary file: /dev/full takes
# nothing, and a picture size that changes ends a job after its first 100 frames, written out
# by then.
echo "an older file" >kept.avi
"$qlnu" decode clip.avi -o /dev/full -f nut 2>errors && fail "writing to /dev/full succeeded"
grep -q "^qlnu: /dev/full: cannot write: No space left on device" errors || fail "$(cat errors)"
[ -c /dev/full ] || fail "/dev/full is gone"
for size in 64x32 48x32; do
  ffmpeg -v error -y -f lavfi -i testsrc=size=$size:rate=25 -frames:v 100 -c:v libx264 -f h264 \
    $size.h264
done
cat 64x32.h264 48x32.h264 >changing.h264
"$qlnu" encode changing.h264 -o kept.avi 2>errors && fail "a source whose size changes was encoded"
grep -q "^qlnu: changing.h264: the picture size changes at frame 101" errors || fail "$(cat errors)"
[ "$(cat kept.avi)" = "an older file" ] || fail "a failed job changed the file it was to replace"
no_temporary_files "a failed job"

# Ctrl-C while the input stalls: stopped within a second, status 130, what the output held
# kept. The stalled input is the start of a stream and then nothing: for Matroska, more than
# the 5 s FFmpeg looks at before it starts.
ffmpeg -v error -y -f lavfi -i testsrc=size=64x32:rate=25 -frames:v 200 -pix_fmt yuv422p long.y4m
"$qlnu" encode long.y4m -o long.mkv 2>/dev/null
mkfifo stall
opened() { # opened PROCESS NAME: whether the process has a file of that name open
  local descriptor
  for descriptor in /proc/"$1"/fd/*; do
    [[ "$(readlink "$descriptor")" == *"$2"* ]] && return 0
  done
  return 1
}
interrupt() { # interrupt "SIGNALS" OUTPUT QLNU_ARGUMENTS...: signals the job once it writes
  local signals=$1 output=$2 status=0 start
  shift 2
  (head -c 700000 "${stalled_source:-long.y4m}"; sleep 20) >stall &
  local writer=$!
  "$qlnu" "$@" 2>errors &
  local job=$!
  for ((wait = 0; wait < 150; wait++)); do
    opened $job "$output" && break
    sleep 0.1
  done
  opened $job "$output" || fail "qlnu $* never opened $output"
  start=$(date +%s%N)
  for signal in $signals; do kill -"$signal" $job 2>/dev/null || true; done
  wait $job || status=$?
  elapsed_ms=$((($(date +%s%N) - start) / 1000000))
  kill $writer 2>/dev/null || true
  wait $writer 2>/dev/null || true
  [ "$status" = 130 ] || fail "qlnu $* interrupted with $signals: status $status, not 130"
  no_temporary_files "qlnu $* interrupted"
}
interrupt INT .kept.avi.qlnu- encode stall -o kept.avi
# Within a second on an idle machine; the bound leaves room for a busy one, and is still far
# below the 20 s the input stalls.
[ $elapsed_ms -lt 3000 ] || fail "stopping took $elapsed_ms ms"
grep -qx "qlnu: interrupted" errors || fail "no word of the interruption: $(cat errors)"
[ "$(cat kept.avi)" = "an older file" ] || fail "an interrupted job changed the old file"
interrupt "INT INT" .kept.avi.qlnu- encode stall -o kept.avi
[ "$(cat kept.avi)" = "an older file" ] || fail "a job ended at once changed the old file"
# Ended by the signal itself, not by an exit status, a job stops the shell loop it runs in when
# Ctrl-C reaches them both (job control gives the loop a process group of its own).
interrupt_loop() {
  (head -c 700000 long.y4m; sleep 20) >stall &
  local writer=$! status=0
  set -m
  bash -c 'for f in 1 2; do "$0" encode stall -o kept.avi 2>/dev/null; echo went on; done' \
    "$qlnu" >loop.out &
  local loop=$!
  set +m
  for ((wait = 0; wait < 150; wait++)); do
    ! opened "$(pgrep -P $loop)" .kept.avi.qlnu- || break
    sleep 0.1
  done
  kill -INT -- -$loop
  wait $loop || status=$?
  kill $writer 2>/dev/null || true
  wait $writer 2>/dev/null || true
  [ "$status" = 130 ] && [ ! -s loop.out ] || fail "the loop went on after Ctrl-C: $(cat loop.out)"
}
interrupt_loop
# A pipe given as the output is written directly and stays.
mkfifo pipe-out
(cat pipe-out >/dev/null) &
stalled_source=long.mkv interrupt INT pipe-out decode stall -o pipe-out -f nut
wait
[ -p pipe-out ] || fail "an interrupted job removed the pipe it wrote to"

# Standard output: a file behind it is cut back to what it held when the job fails.
echo "the log so far" >log.txt
"$qlnu" encode changing.h264 -o - -f matroska >>log.txt 2>/dev/null && fail "changing.h264 encoded"
[ "$(cat log.txt)" = "the log so far" ] || fail "a failed job left bytes behind standard output"
"$qlnu" encode clip.y4m -o /dev/stdout -f matroska >>log.txt 2>/dev/null
[ "$(head -1 log.txt)" = "the log so far" ] && [ "$(stat -c %s log.txt)" -gt 100000 ] ||
  fail "a finished job did not append to standard output"
rm -f log.txt pipe-out stall
echo "safety passed"
