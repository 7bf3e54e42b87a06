#include "help.h"

const char* const kToolHelp = R"(usage: qlnu COMMAND [OPTIONS]

QLNU video to and from anything FFmpeg reads and writes, through the QLNU driver.

commands:
  encode   turn a video or a picture sequence into QLNU video
  decode   turn QLNU video into another video file or pictures
  info     show what a file of QLNU video holds and check every frame
  demo     compress and decompress a built-in picture in every format

qlnu COMMAND --help shows each command's options and examples. Every command
takes -v, which shows FFmpeg's own messages too.

exit status: 0 done; 1 nothing written (the message says why); 2 a command
line qlnu does not understand; 3 damaged input (the output holds every frame
that is not damaged); 130 interrupted (Ctrl-C; a second Ctrl-C ends at once).
An unfinished output never replaces what its name held before.
)";

const char* const kEncodeHelp =
    R"(usage: qlnu encode INPUT -o OUTPUT [-f FORMAT] [--input-format NAME] [--pad]
                   [--field-order tff|bff|progressive] [--swap-fields]
                   [--rate RATE] [--no-audio]

Reads INPUT (any video or picture sequence FFmpeg reads; - for standard input)
and writes QLNU video, every frame a key frame, at the input's size and timing,
with its sound and pixel shape, into an AVI (.avi), Matroska (.mkv) or
QuickTime (.mov) file. QLNU frames show their bottom field first: a top field
first source is moved up a line, as the driver's "change fields order" option
does, and progressive sources are left as they are.

  -o FILE                the file to write; - for standard output
  -f FORMAT              the container: avi, matroska or mov (needed for -o -,
                         which takes matroska only, since AVI and QuickTime
                         writers go back to finish their files)
  --input-format NAME    the layout the driver is given: rgb24, rgb32, yuy2,
                         uyvy, yvyu, y16 or y16a (default: uyvy for YUV
                         and interlaced sources, rgb24 for progressive
                         RGB sources)
  --pad                  pad other sizes than multiples of 16 with black at the
                         right and bottom; an AVI records the size before
  --field-order ORDER    the source's field order, if it does not say or says
                         wrong: tff, bff or progressive
  --swap-fields          reverse the temporal order of the fields
  --rate RATE            frames a second of a picture sequence (default 25)
  --no-audio             leave the sound out

examples:
  qlnu encode clip.mp4 -o clip.avi
  qlnu encode 'frame%04d.png' --rate 29.97 -o frames.avi
  qlnu encode camera.mov --pad -o camera.avi
  ffmpeg -i tape.dv -f yuv4mpegpipe - | qlnu encode - -o tape.avi
)";

const char* const kDecodeHelp =
    R"(usage: qlnu decode INPUT -o OUTPUT [-f FORMAT] [--output-format NAME]
                   [--swap-fields] [--crop WxH|none] [--codec NAME]
                   [--pix-fmt NAME] [--on-damage skip|repeat|stop] [--no-audio]

Decompresses the QLNU video of INPUT (- for standard input) into OUTPUT, whose
container FFmpeg chooses by its name (or -f), with the sound, field order,
pixel shape and timing of INPUT. Raw samples are written where the container
takes them.

  -o FILE                the file to write; - for standard output; a name with
                         %04d writes numbered pictures
  -f FORMAT              the container, by FFmpeg's name (needed for -o -):
                         yuv4mpegpipe, matroska, nut...
  --output-format NAME   the layout the driver gives: rgb24, yuy2, uyvy, yvyu
                         or y16 (default: uyvy for YUV outputs, rgb24 for RGB
                         outputs)
  --swap-fields          have the driver move every picture down a line, which
                         makes it top field first
  --crop WxH             keep the top left W x H of each frame (1920x1080 of
                         1088 lines); by default a picture that was padded is
                         cut back to its size; none keeps whole frames
  --codec NAME           the FFmpeg encoder to write with (ffv1, libx264...)
  --pix-fmt NAME         the FFmpeg pixel format to write (yuv422p, rgb24...)
  --on-damage WHAT       what to do with a damaged frame: skip it (default),
                         repeat the frame before, or stop there; the output
                         keeps the good frames and the exit status is 3
  --no-audio             leave the sound out

Frames that capture programs dropped (empty chunks) stay gaps where the
container keeps time, empty chunks in AVI, and are filled by repeating the
frame before in Y4M and pictures.

examples:
  qlnu decode clip.avi -o clip.y4m
  qlnu decode clip.avi -o clip.mkv --codec ffv1
  qlnu decode clip.avi -o 'frame%04d.png'
  qlnu decode clip.avi -o uyvy.avi
  qlnu decode clip.avi -o - -f yuv4mpegpipe | ffplay -
)";

const char* const kInfoHelp = R"(usage: qlnu info FILE

Shows the size, frame rate, field order, pixel shape and sound of the QLNU
video in FILE and checks the structure of every frame; lists each damaged
frame and says whether the file is truncated, and then ends with status 3.

example:
  qlnu info clip.avi
)";

const char* const kDemoHelp = R"(usage: qlnu demo [FOLDER]

Compresses a built-in 720 x 576 picture from every input format, decompresses
it to every output format, prints the speed and the difference from the
source, and writes the decoded RGB pictures as PNG files into FOLDER
(demo-output by default).
)";
