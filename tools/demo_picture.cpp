#include "demo_picture.h"

#include <algorithm>
#include <cmath>

namespace {

struct Colour {
    double r, g, b;  // 0 to 1
};

constexpr Colour kBars[] = {{0.75, 0.75, 0.75}, {0.75, 0.75, 0}, {0, 0.75, 0.75}, {0, 0.75, 0},
                            {0.75, 0, 0.75},    {0.75, 0, 0},    {0, 0, 0.75},    {0, 0, 0}};
constexpr Colour kBlack = {0, 0, 0};
constexpr Colour kWhite = {1, 1, 1};
constexpr Colour kDarkGrey = {0.2, 0.2, 0.2};

Colour Grey(double level) {
    return {level, level, level};
}

// Stripes `period` pixels (or lines) wide, alternating black and white.
Colour Stripe(int position, int period) {
    return (position / period) % 2 == 0 ? kBlack : kWhite;
}

// The band a line belongs to, top to bottom: bars take the top third, then four bands of a
// sixth each.
enum class Band { Bars, Ramp, VerticalDetail, HorizontalDetail, Marker };

Band BandOf(int line, int height) {
    const int sixth = height / 6;
    if (line < 2 * sixth) {
        return Band::Bars;
    }
    constexpr Band kLower[] = {Band::Ramp, Band::VerticalDetail, Band::HorizontalDetail,
                               Band::Marker};
    return kLower[std::min(3, (line - 2 * sixth) / sixth)];
}

Colour ColourAt(int x, int line, int width, int height) {
    const int sixth = height / 6;
    const int third = width / 3;
    switch (BandOf(line, height)) {
        case Band::Bars:
            return kBars[x * 8 / width];
        case Band::Ramp:
            return Grey(static_cast<double>(x) / (width - 1));
        case Band::VerticalDetail:
            return Stripe(x, 1 << (x / third));
        case Band::HorizontalDetail:
            return Stripe(line, 1 << (x / third));
        case Band::Marker: {
            // A triangle with its point at the top of the band, centred.
            const int depth = line - 5 * sixth;
            return std::abs(x - width / 2) <= depth ? kWhite : kDarkGrey;
        }
    }
    return kBlack;
}

BYTE Sample(double value) {
    return static_cast<BYTE>(std::clamp(std::lround(value), 0L, 255L));
}

// BT.601 studio range from R, G, B in 0 to 1.
double Luma(const Colour& c) {
    return 16 + 65.481 * c.r + 128.553 * c.g + 24.966 * c.b;
}
double ChromaU(const Colour& c) {
    return 128 - 37.797 * c.r - 74.203 * c.g + 112.0 * c.b;
}
double ChromaV(const Colour& c) {
    return 128 + 112.0 * c.r - 93.786 * c.g - 18.214 * c.b;
}

}  // namespace

Bytes MakeTestPicture(int width, int height) {
    Bytes uyvy(static_cast<std::size_t>(2 * width * height));
    for (int line = 0; line < height; ++line) {
        BYTE* row = uyvy.data() + static_cast<std::size_t>(2 * width * line);
        for (int pair = 0; pair < width / 2; ++pair) {
            const Colour left = ColourAt(2 * pair, line, width, height);
            const Colour right = ColourAt(2 * pair + 1, line, width, height);
            row[4 * pair] = Sample((ChromaU(left) + ChromaU(right)) / 2);
            row[4 * pair + 1] = Sample(Luma(left));
            row[4 * pair + 2] = Sample((ChromaV(left) + ChromaV(right)) / 2);
            row[4 * pair + 3] = Sample(Luma(right));
        }
    }
    return uyvy;
}
