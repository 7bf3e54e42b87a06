#include "test_pictures.h"

#include <algorithm>
#include <cstdlib>
#include <random>

Bytes RandomUyvy(int width, int height, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes picture(static_cast<std::size_t>(2 * width * height));
    for (BYTE& sample : picture) {
        sample = static_cast<BYTE>(random());
    }
    return picture;
}

Bytes RandomRgbBlocks(int width, int height, int bytesPerPixel, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes picture(static_cast<std::size_t>(width * height * bytesPerPixel));
    for (std::size_t block = 0; block < picture.size() / (16 * bytesPerPixel); ++block) {
        const BYTE colour[3] = {static_cast<BYTE>(random()), static_cast<BYTE>(random()),
                                static_cast<BYTE>(random())};
        for (int pixel = 0; pixel < 16; ++pixel) {
            BYTE* at = picture.data() + (16 * block + pixel) * bytesPerPixel;
            std::copy_n(colour, 3, at);
            if (bytesPerPixel == 4) {
                at[3] = static_cast<BYTE>(random());
            }
        }
    }
    return picture;
}

Bytes Rgb24Of(const Bytes& rgb, int bytesPerPixel) {
    const std::size_t pixels = rgb.size() / bytesPerPixel;
    Bytes colours(3 * pixels);
    for (std::size_t pixel = 0; pixel < pixels; ++pixel) {
        std::copy_n(rgb.begin() + static_cast<std::ptrdiff_t>(bytesPerPixel * pixel), 3,
                    colours.begin() + static_cast<std::ptrdiff_t>(3 * pixel));
    }
    return colours;
}

int LargestDifference(const Bytes& a, const Bytes& b) {
    int largest = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    return largest;
}

Bytes RowOf(const Bytes& picture, std::size_t rowBytes, int row) {
    const auto begin = picture.begin() + static_cast<std::ptrdiff_t>(rowBytes * row);
    return Bytes(begin, begin + static_cast<std::ptrdiff_t>(rowBytes));
}
