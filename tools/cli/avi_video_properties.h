// The video properties header ("vprp") of an AVI's first video stream, which FFmpeg's AVI
// writer fills from the stream's field order and aspect ratio: how many fields a frame has,
// which line each begins on, and the area of the frame that holds the picture. The tool
// records there the size a padded picture had before padding.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

extern "C" {
#include <libavcodec/codec_par.h>
}

struct AviVideoProperties {
    AVFieldOrder fieldOrder;  // AV_FIELD_PROGRESSIVE, AV_FIELD_TT or AV_FIELD_BB
    int validWidth;           // the picture area from the top left corner
    int validHeight;
};

// The properties in an AVI's first bytes, if it has them.
std::optional<AviVideoProperties> ReadAviVideoProperties(const std::vector<uint8_t>& header);

// Records, in the AVI written to `descriptor`, that only the top left width × height of the
// frames holds the picture; false when the file has no properties header to record it in.
bool RecordAviValidArea(int descriptor, int width, int height);
