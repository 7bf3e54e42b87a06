// qlnu info: what a QLNU AVI holds, and whether every frame is whole.
#include <cstdio>

#include "command_line.h"
#include "commands.h"
#include "qlnu_avi.h"
#include "tool_error.h"

int InfoCommand(int argc, char** argv) {
    const std::string path = CommandLine(argc, argv, 2, {}, {}).OnlyOperand("file");
    QlnuAviReader reader(path);
    const int width = reader.Width();
    const int height = reader.Height();
    std::printf("%s: QLNU video, %d x %d, %s fps, frames of %lld bytes\n", path.c_str(), width,
                height, RateText(reader.FrameRate()).c_str(), 2LL * width * height + 20);
    Bytes frame;
    int64_t frames = 0;
    int64_t damaged = 0;
    while (reader.NextFrame(&frame)) {
        ++frames;
        if (const auto damage = FrameDamage(frame, width, height)) {
            std::printf("frame %lld is damaged: %s\n", static_cast<long long>(frames),
                        damage->c_str());
            ++damaged;
        }
    }
    std::printf("%lld frames, %lld damaged\n", static_cast<long long>(frames),
                static_cast<long long>(damaged));
    if (damaged > 0) {
        throw FileError(
            path, std::to_string(damaged) + " of " + std::to_string(frames) + " frames damaged");
    }
    return 0;
}
