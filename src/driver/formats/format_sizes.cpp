#include "driver/formats/format_sizes.h"

#include <cstdint>

namespace {

constexpr std::int64_t kLargestCount = 0x7FFFFFFF;

std::optional<LONG> AsCount(std::int64_t value) {
    if (value < 0 || value > kLargestCount) {
        return std::nullopt;
    }
    return static_cast<LONG>(value);
}

std::int64_t RowCount(const BITMAPINFOHEADER& format) {
    const std::int64_t height = format.biHeight;
    return height < 0 ? -height : height;
}

}  // namespace

// Width and row count are below 2^31 each in magnitude, so 2 x width x rows stays within 2^63.
std::optional<LONG> CompressedFrameSize(const BITMAPINFOHEADER& format) {
    return AsCount(2 * std::int64_t{format.biWidth} * RowCount(format) + 20);
}

// A row is below 2^44 bytes in magnitude, but rows x row can pass 2^63, so the product is only
// formed once it is known to fit.
std::optional<LONG> PictureSize(const BITMAPINFOHEADER& format) {
    const std::int64_t rowSize = std::int64_t{format.biBitCount} * format.biWidth / 8;
    const std::int64_t rows = RowCount(format);
    if (rowSize == 0 || rows == 0) {
        return 0;
    }
    if (rowSize < 0 || rows > kLargestCount / rowSize) {
        return std::nullopt;
    }
    return AsCount(rows * rowSize);
}

std::optional<LONG> FormatSize(const BITMAPINFOHEADER& format) {
    return AsCount(std::int64_t{format.biSize} + 4 * std::int64_t{format.biClrUsed});
}

bool SizesFit(const BITMAPINFOHEADER& format) {
    return CompressedFrameSize(format) && PictureSize(format) && FormatSize(format);
}
