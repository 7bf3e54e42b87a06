#include "driver/formats/format_checks.h"

#include "common/fourcc.h"

namespace {

struct UncompressedFormat {
    DWORD compression;
    WORD bitCount;
};

constexpr UncompressedFormat kCompressionInputs[] = {
    {BI_RGB, 24},      {BI_RGB, 32},     {kFourCCYuy2, 16}, {kFourCCUyvy, 16},
    {kFourCCYvyu, 16}, {kFourCCY16, 16}, {kFourCCY16A, 24},
};

// "Y16A" and 32-bit RGB are taken as input only.
constexpr UncompressedFormat kDecompressionOutputs[] = {
    {BI_RGB, 24}, {kFourCCYuy2, 16}, {kFourCCUyvy, 16}, {kFourCCYvyu, 16}, {kFourCCY16, 16},
};

template <std::size_t N>
bool IsListed(const UncompressedFormat (&table)[N], const BITMAPINFOHEADER& format) {
    for (const UncompressedFormat& entry : table) {
        if (entry.compression == format.biCompression && entry.bitCount == format.biBitCount) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsCompressionInput(const BITMAPINFOHEADER& format) {
    return IsListed(kCompressionInputs, format);
}

bool IsDecompressionOutput(const BITMAPINFOHEADER& format) {
    return IsListed(kDecompressionOutputs, format);
}

// The signed remainder: a negative multiple of 16 leaves 0, any other negative value a
// negative remainder, which fails like a positive one.
bool HasCodecGeometry(const BITMAPINFOHEADER& format) {
    return format.biWidth % 16 == 0 && format.biHeight % 16 == 0;
}

bool HasSameDimensions(const BITMAPINFOHEADER& a, const BITMAPINFOHEADER& b) {
    return a.biWidth == b.biWidth && a.biHeight == b.biHeight;
}
