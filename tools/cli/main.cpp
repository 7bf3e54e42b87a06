// qlnu: QLNU video for people without a Video for Windows host. Every frame goes through the
// driver's DriverProc with the messages a host sends; FFmpeg reads and writes everything else.
#include <cstdio>
#include <cstring>
#include <string_view>

#include <strings.h>

#include "command_line.h"
#include "commands.h"
#include "demo.h"
#include "tool_error.h"

namespace {

constexpr const char* kToolHelp = R"(usage: qlnu COMMAND [OPTIONS]

QLNU video to and from anything FFmpeg reads and writes, through the QLNU driver.

commands:
  encode   turn a video or a picture sequence into a QLNU AVI
  decode   turn a QLNU AVI into another video file or pictures
  info     show what a QLNU AVI holds and check every frame
  demo     compress and decompress a built-in picture in every format

qlnu COMMAND --help shows each command's options and examples.
)";

constexpr const char* kEncodeHelp =
    R"(usage: qlnu encode INPUT -o OUTPUT.avi [--input-format NAME] [--pad]

Reads INPUT (any video or picture FFmpeg reads) and writes an AVI whose video
stream is QLNU, every frame a key frame, at the input's frame rate and size.
Width and height must be multiples of 16.

  -o FILE                the AVI to write
  --input-format NAME    the layout the driver is given: rgb24, rgb32, yuy2,
                         uyvy, yvyu, y16 or y16a (default: uyvy for YUV
                         sources, rgb24 for RGB sources)
  --pad                  pad other sizes with black up to multiples of 16

examples:
  qlnu encode clip.mp4 -o clip.avi
  qlnu encode 'frame%04d.png' -o frames.avi
  qlnu encode camera.mov --pad -o camera.avi
)";

constexpr const char* kDecodeHelp =
    R"(usage: qlnu decode INPUT.avi -o OUTPUT [--output-format NAME] [--swap-fields]
                   [--codec NAME] [--pix-fmt NAME]

Decompresses the QLNU stream of INPUT.avi into OUTPUT, whose type FFmpeg
chooses by its name. Raw samples are written where the container takes them.

  -o FILE                the file to write; a name with %04d writes numbered
                         pictures
  --output-format NAME   the layout the driver gives: rgb24, yuy2, uyvy, yvyu
                         or y16 (default: uyvy for YUV outputs, rgb24 for RGB
                         outputs)
  --swap-fields          have the driver swap the two fields of every frame
  --codec NAME           the FFmpeg encoder to write with (ffv1, png...)
  --pix-fmt NAME         the FFmpeg pixel format to write (yuv422p, rgb24...)

examples:
  qlnu decode clip.avi -o clip.y4m
  qlnu decode clip.avi -o clip.mkv --codec ffv1
  qlnu decode clip.avi -o 'frame%04d.png'
  qlnu decode clip.avi -o uyvy.avi
)";

constexpr const char* kInfoHelp = R"(usage: qlnu info FILE.avi

Shows the size, frame rate and frame count of the QLNU stream and checks the
structure of every frame; ends with status 1 when a frame is damaged.

example:
  qlnu info clip.avi
)";

constexpr const char* kDemoHelp = R"(usage: qlnu demo [FOLDER]

Compresses a built-in 720 x 576 picture from every input format, decompresses
it to every output format, prints the speed and the difference from the
source, and writes the decoded RGB pictures as PNG files into FOLDER
(demo-output by default).
)";

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* help;
};

constexpr Command kCommands[] = {
    {"encode", EncodeCommand, kEncodeHelp},
    {"decode", DecodeCommand, kDecodeHelp},
    {"info", InfoCommand, kInfoHelp},
    {"demo", DemoCommand, kDemoHelp},
};

bool AsksForHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h" || argument == "help";
}

int Run(int argc, char** argv) {
    if (argc < 2 || AsksForHelp(argv[1])) {
        std::fputs(kToolHelp, argc < 2 ? stderr : stdout);
        return argc < 2 ? kExitUsage : 0;
    }
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) != 0) {
            continue;
        }
        for (int i = 2; i < argc; ++i) {
            if (AsksForHelp(argv[i])) {
                std::fputs(command.help, stdout);
                return 0;
            }
        }
        return command.run(argc, argv);
    }
    throw ToolError(std::string("unknown command ") + argv[1] + " (qlnu --help lists them)",
                    kExitUsage);
}

}  // namespace

const PictureFormat& FormatNamed(const std::string& name, const std::vector<PictureFormat>& formats,
                                 const std::string& option) {
    std::string names;
    for (const PictureFormat& format : formats) {
        if (strcasecmp(name.c_str(), format.name) == 0) {
            return format;
        }
        names += std::string(names.empty() ? "" : ", ") + format.name;
    }
    throw ToolError(option + " " + name + " is not one of " + names, kExitUsage);
}

std::string RateText(AVRational rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", av_q2d(rate));
    return text;
}

int DemoCommand(int argc, char** argv) {
    const CommandLine line(argc, argv, 2, {}, {});
    if (line.Operands().size() > 1) {
        throw ToolError("demo takes one folder at most", kExitUsage);
    }
    return RunDemo(line.Operands().empty() ? "demo-output" : line.Operands().front()) ? 0 : 1;
}

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    try {
        return Run(argc, argv);
    } catch (const ToolError& error) {
        std::fprintf(stderr, "qlnu: %s\n", error.what());
        if (error.Status() == kExitUsage) {
            std::fputs("qlnu --help shows how to use it\n", stderr);
        }
        return error.Status();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qlnu: %s\n", error.what());
        return kExitFailed;
    }
}
