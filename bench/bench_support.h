// What every benchmark program shares: the two field sizes, the two memory situations, and
// registration of one field conversion for all four combinations.
//
// A benchmark is named "<label>/<width>x<height>/<memory>", e.g. "PackYuy2Field_SSE2/720x576/
// incache". Every program also runs "memcpy/<width>x<height>/<memory>", copying the bytes of
// one UYVY field of that size, and the shared main prints every result as a ratio to it.
#pragma once

#include <functional>
#include <string>

#include "platform/win_api.h"

struct FieldSize {
    const char* name;
    int width;
    int rows;  // a field: half the picture height

    int UyvyBytes() const { return 2 * width * rows; }
};

// The fields of 720 x 576 and 1920 x 1088 pictures.
extern const FieldSize kFieldSizes[2];

// Converts (or copies) one field from `source` to `destination`.
using FieldWork = std::function<void(BYTE* destination, const BYTE* source, const FieldSize& size)>;

// Registers `work` at both field sizes, once on buffers that stay in the cache and once on
// buffers that rotate through a pool larger than the last-level cache. The source holds
// sourceBytesPerPixel and the destination destinationBytesPerPixel bytes per field pixel.
void RegisterFieldBenchmark(const std::string& label, int sourceBytesPerPixel,
                            int destinationBytesPerPixel, FieldWork work);

// The memcpy baseline; the shared main registers it in every program.
void RegisterMemcpyBenchmarks();
