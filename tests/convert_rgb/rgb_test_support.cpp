#include "rgb_test_support.h"

#include <cstring>
#include <random>

#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"
#include "convert/rgb_to_yuv_tables.h"
#include "convert/yuv_to_rgb_coefficients.h"
#include "convert/yuv_to_rgb_tables.h"
#include "support/fake_cpu.h"

std::vector<RgbKernelCase> AllRgbKernelCases() {
    using enum RgbOperation;
    return {
        {"EncodeRgb24Field_MMX", EncodeRgb24, EncodeRgb24Field_MMX, EncodeRgb24Field_NarrowC, 3},
        {"EncodeRgb24Field_SSE", EncodeRgb24, EncodeRgb24Field_SSE, EncodeRgb24Field_C, 15},
        {"EncodeRgb24Field_SSE2", EncodeRgb24, EncodeRgb24Field_SSE2, EncodeRgb24Field_C, 31},
        {"EncodeRgb24Field_AMD", EncodeRgb24, EncodeRgb24Field_AMD, EncodeRgb24Field_C, 135},
        {"EncodeRgb32Field_MMX", EncodeRgb32, EncodeRgb32Field_MMX, EncodeRgb32Field_NarrowC, 1},
        {"EncodeRgb32Field_SSE", EncodeRgb32, EncodeRgb32Field_SSE, EncodeRgb32Field_C, 15},
        {"EncodeRgb32Field_SSE2", EncodeRgb32, EncodeRgb32Field_SSE2, EncodeRgb32Field_C, 159},
        {"EncodeRgb32Field_AMD", EncodeRgb32, EncodeRgb32Field_AMD, EncodeRgb32Field_C, 143},
        {"DecodeRgb24Field_MMX", DecodeRgb24, DecodeRgb24Field_MMX, DecodeRgb24Field_BasicC, 3},
        {"DecodeRgb24Field_SSE", DecodeRgb24, DecodeRgb24Field_SSE, DecodeRgb24Field_ExtendedC, 15},
        {"DecodeRgb24Field_SSE2", DecodeRgb24, DecodeRgb24Field_SSE2, DecodeRgb24Field_ExtendedC,
         31},
        {"DecodeRgb24Field_AMD", DecodeRgb24, DecodeRgb24Field_AMD, DecodeRgb24Field_ExtendedC,
         135},
    };
}

int SourceBytesPerPixel(RgbOperation operation) {
    switch (operation) {
        case RgbOperation::EncodeRgb24:
            return 3;
        case RgbOperation::EncodeRgb32:
            return 4;
        case RgbOperation::DecodeRgb24:
            break;
    }
    return 2;
}

int DestinationBytesPerPixel(RgbOperation operation) {
    return operation == RgbOperation::DecodeRgb24 ? 3 : 2;
}

void UseTablesOf(CpuClass cpuClass) {
    gRgbToYuvTable.ResetForTesting();
    gYuvToRgbTable.ResetForTesting();
    ScopedFakeProcessor fake(cpuClass);
    const RgbToYuvTables encoderTables;
    const YuvToRgbTables decoderTables;
}

std::vector<BYTE> RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<BYTE> bytes(count);
    for (BYTE& b : bytes) {
        b = static_cast<BYTE>(generator());
    }
    return bytes;
}

GuardedPicture::GuardedPicture(int rowBytes, int rows, int stride, unsigned seed)
    : pages_(static_cast<std::size_t>(stride) * (rows - 1) + rowBytes) {
    const std::vector<BYTE> random = RandomBytes(pages_.size(), seed);
    std::memcpy(pages_.data(), random.data(), random.size());
}
