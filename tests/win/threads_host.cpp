// Several host threads, each with a codec of its own, compress and decompress at the same time
// through msvfw32, as an editor with several streams does, while each session's field worker
// converts half of every frame: the threads start before any kernel is bound, so they also
// race to bind them. Every frame and picture must be what one thread alone gets afterwards.
#include <thread>
#include <vector>

#include "frame_sessions.h"

namespace {

using host_test::kQlnu;

constexpr LONG kWidth = 352, kHeight = 288;
constexpr int kFrames = 6;

struct Stream {
    const PictureFormat* input;
    const PictureFormat* output;
    std::vector<Bytes> frames;
    std::vector<Bytes> pictures;
};

std::vector<Bytes> SourcePictures(const PictureFormat& format) {
    std::vector<Bytes> pictures;
    for (int number = 0; number < kFrames; ++number) {
        const auto seed = static_cast<std::uint32_t>(number);
        pictures.push_back(IsRgb(format)
                               ? RandomRgbBlocks(kWidth, kHeight, format.bitCount / 8, seed)
                               : UyvyToLayout(RandomUyvy(kWidth, kHeight, seed), kWidth, kHeight,
                                              format.compression));
    }
    return pictures;
}

// The stream's frames and their pictures, on a codec opened for it.
void Run(Stream& stream) {
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(codec != nullptr);
    if (codec == nullptr) {
        return;
    }
    const std::vector<Bytes> sources = SourcePictures(*stream.input);
    {
        host_test::CompressionSession session(codec, *stream.input, kWidth, kHeight);
        for (const Bytes& source : sources) {
            stream.frames.push_back(session.Compress(source.data()));
        }
    }
    host_test::DecompressionSession session(codec, *stream.output, kWidth, kHeight);
    for (const Bytes& frame : stream.frames) {
        stream.pictures.push_back(session.Decompress(frame));
    }
    ICClose(codec);
}

// One stream a thread: RGB and packed-YUV inputs, RGB and packed-YUV outputs.
std::vector<Stream> Streams() {
    std::vector<Stream> streams;
    for (std::size_t i = 0; i < 4; ++i) {
        streams.push_back({&kInputFormats[i * 2 % kInputFormats.size()],
                           &kOutputFormats[i % kOutputFormats.size()],
                           {},
                           {}});
    }
    return streams;
}

}  // namespace

int main() {
    CHECK(host_test::InstallDriver());
    std::vector<Stream> together = Streams();
    {
        std::vector<std::thread> threads;
        for (Stream& stream : together) {
            threads.emplace_back([&stream] { Run(stream); });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    std::vector<Stream> alone = Streams();
    for (std::size_t i = 0; i < alone.size(); ++i) {
        Run(alone[i]);
        CHECK_EQ(together[i].frames.size(), kFrames);
        CHECK(together[i].frames == alone[i].frames);
        CHECK(together[i].pictures == alone[i].pictures);
    }
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
