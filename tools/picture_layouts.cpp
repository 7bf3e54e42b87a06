#include "picture_layouts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "common/fourcc.h"

const PictureFormat kRgb24 = {"Rgb24", BI_RGB, 24};
const PictureFormat kRgb32 = {"Rgb32", BI_RGB, 32};
const PictureFormat kYuy2 = {"Yuy2", kFourCCYuy2, 16};
const PictureFormat kUyvy = {"Uyvy", kFourCCUyvy, 16};
const PictureFormat kYvyu = {"Yvyu", kFourCCYvyu, 16};
const PictureFormat kY16 = {"Y16", kFourCCY16, 16};
const PictureFormat kY16A = {"Y16A", kFourCCY16A, 24};
const std::vector<PictureFormat> kInputFormats = {kRgb24, kRgb32, kYuy2, kUyvy, kYvyu, kY16, kY16A};
const std::vector<PictureFormat> kOutputFormats = {kRgb24, kYuy2, kUyvy, kYvyu, kY16};

bool IsRgb(const PictureFormat& format) {
    return format.compression == BI_RGB;
}

std::size_t RowBytes(const PictureFormat& format, int width) {
    return static_cast<std::size_t>(width) * format.bitCount / 8;
}

BITMAPINFOHEADER UncompressedHeader(const PictureFormat& format, LONG width, LONG height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = format.bitCount;
    header.biCompression = format.compression;
    header.biSizeImage = static_cast<DWORD>(RowBytes(format, width) * std::abs(height));
    return header;
}

BITMAPINFOHEADER QlnuHeader(LONG width, LONG height) {
    BITMAPINFOHEADER header = UncompressedHeader(kRgb24, width, height);
    header.biCompression = kFourCCQlnu;
    header.biSizeImage = static_cast<DWORD>(2 * std::int64_t{width} * std::abs(height) + 20);
    return header;
}

namespace {

// One 16-pixel block of UYVY (32 bytes) in another layout.
void BlockFromUyvy(const BYTE* in, BYTE* out, DWORD layout, BYTE alpha) {
    for (int pair = 0; pair < 8; ++pair) {
        const BYTE u = in[4 * pair], y0 = in[4 * pair + 1], v = in[4 * pair + 2],
                   y1 = in[4 * pair + 3];
        switch (layout) {
            case kFourCCYuy2:
            case kFourCCYvyu: {
                const BYTE first = layout == kFourCCYuy2 ? u : v;
                const BYTE second = layout == kFourCCYuy2 ? v : u;
                const BYTE samples[4] = {y0, first, y1, second};
                std::copy_n(samples, 4, out + 4 * pair);
                break;
            }
            case kFourCCY16:
            case kFourCCY16A: {
                const int chroma = layout == kFourCCY16 ? 16 : 32;
                out[2 * pair] = y0;
                out[2 * pair + 1] = y1;
                out[chroma + pair] = u;
                out[chroma + 8 + pair] = v;
                if (layout == kFourCCY16A) {
                    out[16 + 2 * pair] = alpha;
                    out[17 + 2 * pair] = alpha;
                }
                break;
            }
            default:
                std::copy_n(in + 4 * pair, 4, out + 4 * pair);
        }
    }
}

BYTE Clamp(double value) {
    return static_cast<BYTE>(std::clamp(std::lround(value), 0L, 255L));
}

BYTE Luma(const BYTE* bgr) {
    return Clamp(0.257 * bgr[2] + 0.504 * bgr[1] + 0.098 * bgr[0] + 16);
}

}  // namespace

Bytes UyvyToLayout(const Bytes& uyvy, int width, int height, DWORD layout, BYTE alpha) {
    const std::size_t blockBytes = layout == kFourCCY16A ? 48 : 32;
    const std::size_t blocks = static_cast<std::size_t>(width / 16) * height;
    Bytes picture(blocks * blockBytes);
    for (std::size_t block = 0; block < blocks; ++block) {
        BlockFromUyvy(uyvy.data() + 32 * block, picture.data() + blockBytes * block, layout, alpha);
    }
    return picture;
}

Bytes ReferenceUyvyToRgb24(const Bytes& uyvy, int width, int height) {
    Bytes rgb(static_cast<std::size_t>(3 * width * height));
    for (int line = 0; line < height; ++line) {
        const BYTE* in = uyvy.data() + static_cast<std::size_t>(2 * width * line);
        BYTE* out = rgb.data() + static_cast<std::size_t>(3 * width * (height - 1 - line));
        for (int x = 0; x < width; ++x) {
            const int pair = x / 2;
            const int next = x % 2 == 0 || pair % 8 == 7 ? pair : pair + 1;
            const double y = 1.164 * (in[2 * x + 1] - 16);
            const double u = (in[4 * pair] + in[4 * next]) / 2.0 - 128.0;
            const double v = (in[4 * pair + 2] + in[4 * next + 2]) / 2.0 - 128.0;
            out[3 * x] = Clamp(y + 2.018 * u);
            out[3 * x + 1] = Clamp(y - 0.391 * u - 0.813 * v);
            out[3 * x + 2] = Clamp(y + 1.596 * v);
        }
    }
    return rgb;
}

Bytes ReferenceRgbToUyvy(const Bytes& rgb, int width, int height, int bytesPerPixel) {
    Bytes uyvy(static_cast<std::size_t>(2 * width * height));
    for (int line = 0; line < height; ++line) {
        const BYTE* in =
            rgb.data() + static_cast<std::size_t>(bytesPerPixel * width * (height - 1 - line));
        BYTE* out = uyvy.data() + static_cast<std::size_t>(2 * width * line);
        for (int pair = 0; pair < width / 2; ++pair) {
            const BYTE* p0 = in + 2 * pair * bytesPerPixel;
            const BYTE* p1 = p0 + bytesPerPixel;
            const double b = (p0[0] + p1[0]) / 2.0, g = (p0[1] + p1[1]) / 2.0,
                         r = (p0[2] + p1[2]) / 2.0;
            out[4 * pair] = Clamp(-0.148 * r - 0.291 * g + 0.439 * b + 128);
            out[4 * pair + 1] = Luma(p0);
            out[4 * pair + 2] = Clamp(0.439 * r - 0.368 * g - 0.071 * b + 128);
            out[4 * pair + 3] = Luma(p1);
        }
    }
    return uyvy;
}

Bytes RgbWithPixelBytes(const Bytes& rgb24, int bytesPerPixel) {
    const std::size_t pixels = rgb24.size() / 3;
    Bytes picture(pixels * bytesPerPixel, 0);
    for (std::size_t pixel = 0; pixel < pixels; ++pixel) {
        std::copy_n(rgb24.begin() + static_cast<std::ptrdiff_t>(3 * pixel), 3,
                    picture.begin() + static_cast<std::ptrdiff_t>(bytesPerPixel * pixel));
    }
    return picture;
}

Bytes FlipRows(const Bytes& picture, std::size_t rowBytes) {
    Bytes flipped(picture.size());
    const std::size_t rows = picture.size() / rowBytes;
    for (std::size_t row = 0; row < rows; ++row) {
        std::copy_n(picture.begin() + static_cast<std::ptrdiff_t>(rowBytes * row), rowBytes,
                    flipped.begin() + static_cast<std::ptrdiff_t>(rowBytes * (rows - 1 - row)));
    }
    return flipped;
}
