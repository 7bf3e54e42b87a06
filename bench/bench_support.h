// What every benchmark program shares: the two field sizes, the two memory situations, and
// registration of one field conversion for all four combinations.
//
// A benchmark is named "<label>/<width>x<height>/<memory>", e.g. "PackYuy2Field_SSE2/720x576/
// incache". Every program also runs "memcpy/<width>x<height>/<memory>", copying the bytes of
// one UYVY field of that size, and the shared main prints every result as a ratio to it.
//
// Nothing is timed that does not do its work: a call that refuses it, or that writes other
// bytes than its reference, ends its benchmark with an error, and the program then fails.
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

// Converts (or copies) one field from `source` to `destination`; false if the call refused to
// (a library's error answer).
using FieldWork = std::function<bool(BYTE* destination, const BYTE* source, const FieldSize& size)>;

// Registers `work` at both field sizes, once on buffers that stay in the cache and once on
// buffers that rotate through a pool larger than the last-level cache. The source holds
// sourceBytesPerPixel and the destination destinationBytesPerPixel bytes per field pixel.
// Before it is timed, `work` must leave a destination as `reference` (if any) leaves it.
void RegisterFieldBenchmark(const std::string& label, int sourceBytesPerPixel,
                            int destinationBytesPerPixel, FieldWork work,
                            FieldWork reference = nullptr);

// True if the processor and the operating system run AVX2 code, as the compiler's own check
// says. Elsewhere an AVX2 variant would stop the program with an illegal instruction.
bool ProcessorRunsAvx2();

// Registers an AVX2 variant as RegisterFieldBenchmark does where the processor runs it, and
// otherwise says on the standard error that it is left out.
void RegisterAvx2FieldBenchmark(const std::string& label, int sourceBytesPerPixel,
                                int destinationBytesPerPixel, FieldWork work,
                                FieldWork reference = nullptr);

// The memcpy baseline; the shared main registers it in every program.
void RegisterMemcpyBenchmarks();
