// Every input format through a frame to every output format, through msvfw32 and the DLL's
// own kernels: packed YUV to packed YUV byte for byte, RGB on either side within the
// conversions' arithmetic (the bounds of the native round-trip test). Each input format has a
// codec of its own; with --threads each also has a host thread of its own, as in an editor with
// several streams, and they start together, before any kernel is bound, so they also race to
// bind them while each session's field worker converts half of every frame.
//   formats_host [--threads]
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "frame_sessions.h"

namespace {

using host_test::kQlnu;

constexpr int kEncodeTolerance = 2;
constexpr int kDecodeTolerance = 3;
constexpr int kRoundTripTolerance = 5;

struct Source {
    Bytes picture;  // in the input format
    Bytes uyvy;     // the frame's samples: exact for packed YUV, the reference encoding for RGB
};

Source MakeSource(const PictureFormat& format, int width, int height) {
    if (IsRgb(format)) {
        const int pixelBytes = format.bitCount / 8;
        Bytes picture = RandomRgbBlocks(width, height, pixelBytes, 31);
        Bytes uyvy = ReferenceRgbToUyvy(picture, width, height, pixelBytes);
        return {picture, uyvy};
    }
    Bytes uyvy = RandomUyvy(width, height, 32);
    return {UyvyToLayout(uyvy, width, height, format.compression, 0x5A), uyvy};
}

// The picture decompression should give, and how far it may be from it.
struct Expected {
    Bytes picture;
    int tolerance;
};

Expected ExpectedOutput(const Source& source, const PictureFormat& input,
                        const PictureFormat& output, int width, int height) {
    if (IsRgb(output)) {
        return IsRgb(input)
                   ? Expected{Rgb24Of(source.picture, input.bitCount / 8), kRoundTripTolerance}
                   : Expected{ReferenceUyvyToRgb24(source.uyvy, width, height), kDecodeTolerance};
    }
    return {UyvyToLayout(source.uyvy, width, height, output.compression),
            IsRgb(input) ? kEncodeTolerance : 0};
}

// Every output of one input format, at two sizes, on a codec of its own.
void CheckEveryOutputOf(const PictureFormat& input) {
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(codec != nullptr);
    if (codec == nullptr) {
        return;
    }
    for (const auto& [width, height] : {std::pair<LONG, LONG>{720, 576}, {16, 16}}) {
        const Source source = MakeSource(input, width, height);
        const Bytes frame = host_test::CompressionSession(codec, input, width, height)
                                .Compress(source.picture.data());
        for (const PictureFormat& output : kOutputFormats) {
            const Bytes decoded =
                host_test::DecompressionSession(codec, output, width, height).Decompress(frame);
            const Expected expected = ExpectedOutput(source, input, output, width, height);
            const bool ok = decoded.size() == expected.picture.size() &&
                            LargestDifference(decoded, expected.picture) <= expected.tolerance;
            CHECK(ok);
            if (!ok) {
                std::printf("  %s to %s at %ld x %ld\n", input.name, output.name, width, height);
            }
        }
    }
    ICClose(codec);
}

}  // namespace

int main(int argc, char** argv) {
    const bool threads = argc > 1 && std::strcmp(argv[1], "--threads") == 0;
    CHECK(host_test::InstallDriver());
    std::vector<std::thread> running;
    for (const PictureFormat& input : kInputFormats) {
        if (threads) {
            running.emplace_back(CheckEveryOutputOf, std::cref(input));
        } else {
            CheckEveryOutputOf(input);
        }
    }
    for (std::thread& thread : running) {
        thread.join();
    }
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
