// Pictures for the host programs and how their decoded pictures are judged: byte for byte
// where both ends are packed YUV, within the RGB kernels' arithmetic where RGB is involved.
#pragma once

#include "host_test.h"
#include "test_pictures.h"

namespace host_test {

// RGB to RGB through a frame: one level of encoding error grows by the decoder's gain, and
// the decoder's arithmetic adds up to two levels (the session tests hold the same bound).
inline constexpr int kRgbRoundTripTolerance = 5;
inline constexpr int kRgbDecodeTolerance = 3;
inline constexpr int kRgbEncodeTolerance = 2;

// The source picture in `format` and its samples as the frame should hold them.
struct SourcePicture {
    Bytes picture;
    Bytes uyvy;   // packed-YUV sources: exact; RGB sources: the reference encoding
    Bytes rgb24;  // the colours of an RGB source, or the reference decoding of a YUV one
};

inline SourcePicture MakeSource(const PictureFormat& format, int width, int height,
                                std::uint32_t seed) {
    SourcePicture source;
    if (IsRgb(format)) {
        const int pixelBytes = format.bitCount / 8;
        source.picture = RandomRgbBlocks(width, height, pixelBytes, seed);
        source.rgb24 = Rgb24Of(source.picture, pixelBytes);
        source.uyvy = ReferenceRgbToUyvy(source.picture, width, height, pixelBytes);
    } else {
        source.uyvy = RandomUyvy(width, height, seed);
        source.picture = UyvyToLayout(source.uyvy, width, height, format.compression, 0x77);
        source.rgb24 = ReferenceUyvyToRgb24(source.uyvy, width, height);
    }
    return source;
}

// Whether `decoded` (in `output`) shows `source` (given in `input`) closely enough.
inline bool ShowsSource(const Bytes& decoded, const SourcePicture& source,
                        const PictureFormat& input, const PictureFormat& output, int width,
                        int height) {
    if (IsRgb(output)) {
        const int tolerance = IsRgb(input) ? kRgbRoundTripTolerance : kRgbDecodeTolerance;
        return decoded.size() == source.rgb24.size() &&
               LargestDifference(decoded, source.rgb24) <= tolerance;
    }
    const Bytes expected = UyvyToLayout(source.uyvy, width, height, output.compression);
    if (IsRgb(input)) {
        return decoded.size() == expected.size() &&
               LargestDifference(decoded, expected) <= kRgbEncodeTolerance;
    }
    return decoded == expected;
}

}  // namespace host_test
