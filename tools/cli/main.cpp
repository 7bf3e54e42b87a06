// qlnu: QLNU video for people without a Video for Windows host. Every frame goes through the
// driver's DriverProc with the messages a host sends; FFmpeg reads and writes everything else.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <strings.h>

#include "command_line.h"
#include "commands.h"
#include "demo.h"
#include "ffmpeg.h"
#include "help.h"
#include "interrupt.h"
#include "tool_error.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* help;
};

const Command kCommands[] = {
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
        names += (names.empty() ? "" : ", ") + LayoutName(format);
    }
    throw ToolError(option + " " + name + " is not one of " + names, kExitUsage);
}

std::string LayoutName(const PictureFormat& format) {
    std::string name = format.name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
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
    HandleInterrupts();
    SetUpFfmpegLog(std::any_of(argv + 1, argv + argc, IsVerboseFlag));
    try {
        return Run(argc, argv);
    } catch (const ToolError& error) {
        // What the command printed comes before the line that ends it.
        std::fflush(stdout);
        // Whatever failed after an interruption failed because of it.
        if (const int signal = InterruptingSignal(); signal != 0) {
            std::fputs("qlnu: interrupted\n", stderr);
            DieOf(signal);
        }
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
