// qlnu info: what a file of QLNU video holds, and whether every frame is whole.
#include <cstdio>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "command_line.h"
#include "commands.h"
#include "common/fourcc.h"
#include "fields.h"
#include "media_input.h"
#include "qlnu_frames.h"
#include "sound.h"
#include "tool_error.h"

namespace {

void PrintSound(const AVStream& stream) {
    const AVCodecParameters& sound = *stream.codecpar;
    char channels[64] = {};
    AVChannelLayout layout = KnownLayout(sound.ch_layout);
    av_channel_layout_describe(&layout, channels, sizeof channels);
    av_channel_layout_uninit(&layout);
    std::printf("sound: %s, %d Hz, %s\n", avcodec_get_name(sound.codec_id), sound.sample_rate,
                channels);
}

// What the frames of the stream are, counted as they are read.
struct FrameCount {
    int64_t read = 0;
    int64_t oneField = 0;
    int64_t damaged = 0;
    int64_t lastNumber = 0;  // the number of the last frame, counting dropped ones
    bool truncated = false;
};

FrameCount CheckFrames(MediaInput& input, const AVStream& stream, AVRational rate) {
    const int width = stream.codecpar->width;
    const int height = stream.codecpar->height;
    const int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
    FrameCount count;
    PacketPointer packet(av_packet_alloc());
    while (input.Read(packet.get())) {
        if (packet->stream_index == stream.index && packet->size > 0) {
            ++count.read;
            count.lastNumber =
                packet->pts == AV_NOPTS_VALUE
                    ? count.lastNumber + 1
                    : av_rescale_q(packet->pts - start, stream.time_base, av_inv_q(rate)) + 1;
            FrameCheck check =
                CheckFrame(packet->data, static_cast<std::size_t>(packet->size), width, height);
            if ((packet->flags & AV_PKT_FLAG_CORRUPT) != 0) {
                count.truncated = true;
                check = {FrameShape::kDamaged, "the file ends inside it"};
            }
            count.oneField += check.shape == FrameShape::kOneField;
            if (check.shape == FrameShape::kDamaged) {
                ++count.damaged;
                std::printf("frame %lld is damaged: %s\n", static_cast<long long>(count.lastNumber),
                            check.damage.c_str());
            }
        }
        av_packet_unref(packet.get());
    }
    return count;
}

}  // namespace

int InfoCommand(int argc, char** argv) {
    const std::string path = CommandLine(argc, argv, 2, {}, {}).OnlyOperand("file");
    MediaInput input(path);
    AVStream& stream = input.VideoStreamTagged(kFourCCQlnu);
    const int width = stream.codecpar->width;
    const int height = stream.codecpar->height;
    const AVRational rate = input.FrameRate(stream);
    std::printf("%s: QLNU video in %s, %d x %d, %s fps, frames of %lld bytes\n",
                input.Name().c_str(), input.Context().iformat->long_name, width, height,
                RateText(rate).c_str(), 2LL * width * height + 20);

    const AviVideoProperties recorded = input.AviProperties().value_or(
        AviVideoProperties{stream.codecpar->field_order, width, height});
    const AVFieldOrder order = recorded.fieldOrder;
    std::printf("fields: %s\n", order == AV_FIELD_UNKNOWN
                                    ? "not recorded (QLNU frames show the bottom field first)"
                                    : FieldOrderText(order).c_str());
    const AVRational aspect = stream.sample_aspect_ratio.num > 0
                                  ? stream.sample_aspect_ratio
                                  : stream.codecpar->sample_aspect_ratio;
    if (const std::string shape = ShapeText(aspect, width, height); !shape.empty()) {
        std::printf("%s\n", shape.c_str());
    }
    if (recorded.validWidth > 0 && recorded.validHeight > 0 &&
        (recorded.validWidth < width || recorded.validHeight < height)) {
        std::printf("picture: %d x %d at the top left of each frame (padded to %d x %d)\n",
                    recorded.validWidth, recorded.validHeight, width, height);
    }
    for (const AVStream* sound : input.AudioStreams()) {
        PrintSound(*sound);
    }
    if (width % 16 != 0 || height % 16 != 0) {
        throw FileError(input.Name(), "its frames are " + std::to_string(width) + " x " +
                                          std::to_string(height) +
                                          ", which the driver does not decode: QLNU frames have "
                                          "sides that are multiples of 16");
    }

    const FrameCount count = CheckFrames(input, stream, rate);
    const int64_t stated = stream.nb_frames;
    const bool truncated = count.truncated || (stated > 0 && count.lastNumber < stated);
    if (truncated) {
        std::printf("%s\n", TruncationText(count.truncated, count.lastNumber, stated).c_str());
    }
    const int64_t dropped = count.lastNumber - count.read;
    std::printf(
        "%lld frames: %lld whole, %lld with one field (shown line-doubled), %lld "
        "damaged; %lld dropped (empty chunks or gaps)\n",
        static_cast<long long>(count.read),
        static_cast<long long>(count.read - count.oneField - count.damaged),
        static_cast<long long>(count.oneField), static_cast<long long>(count.damaged),
        static_cast<long long>(dropped > 0 ? dropped : 0));
    if (count.damaged > 0 || truncated) {
        throw ToolError(input.Name() + ": " + (truncated ? "truncated; " : "") +
                            std::to_string(count.damaged) + " of " + std::to_string(count.read) +
                            " frames damaged",
                        kExitDamaged);
    }
    return 0;
}
