// Pictures converted between FFmpeg's pixel formats at the same size, with swscale contexts kept
// across frames. Interlaced pictures are converted field by field, so that chroma shared by
// the lines of one field (4:2:0) never bleeds into the lines of the other.
#pragma once

#include <array>

#include "ffmpeg.h"

class Scaler {
public:
    // Converts `source` into `destination` (one pointer and line size per plane) of the given
    // format, at the source's size.
    void Convert(const AVFrame& source, AVPixelFormat destinationFormat,
                 uint8_t* const destination[], const int destinationLineSizes[], bool interlaced);

private:
    struct Setting {
        int width;
        int height;
        AVPixelFormat source;
        bool fullRange;  // the source is YUV with samples from 0 to 255
        AVPixelFormat destination;
        bool byField;
        bool operator==(const Setting&) const = default;
    };
    // One context for the whole picture, or one for each field (0 the top field).
    using Context = std::unique_ptr<SwsContext, ScalerFreer>;
    static Context MakeContext(const Setting& setting, int field);
    void ConvertField(const AVFrame& source, uint8_t* const destination[],
                      const int destinationLineSizes[], int field) const;

    std::array<Context, 2> contexts_;
    Setting setting_{};  // no picture has width 0, so the first one makes the contexts
};
