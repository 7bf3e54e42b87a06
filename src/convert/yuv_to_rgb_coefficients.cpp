#include "convert/yuv_to_rgb_coefficients.h"

#include <cstring>

constinit CoefficientTable<kYuvToRgbGroupCount * 16> gYuvToRgbTable;

namespace {

struct Group {
    short even;  // the value in lanes 0, 2, 4, ...
    short odd;   // the value in lanes 1, 3, 5, ...
};

constexpr Group kNarrow[kYuvToRgbGroupCount] = {
    {-8192, -8192}, {4768, 4768},  {-145, -145},  {-3203, -1602},
    {-6660, -3330}, {16531, 8266}, {13074, 6537}, {0, 0},
};

constexpr Group kExtended[kYuvToRgbGroupCount] = {
    {255, 255},     {2384, 2384},   {-145, -145},   {-8192, -8192},
    {-3203, -3203}, {-6660, -6660}, {16531, 16531}, {13074, 13074},
};

constexpr Group kWide16[kYuvToRgbGroupCount] = {
    {255, 255},     {2384, 2384},   {-4096, -4096}, {-145, -145},
    {-3203, -3203}, {-6660, -6660}, {16531, 16531}, {13074, 13074},
};

const Group* GroupsOf(TableLayout layout) {
    switch (layout) {
        case TableLayout::Narrow:
            return kNarrow;
        case TableLayout::Extended:
            return kExtended;
        default:
            return kWide16;
    }
}

}  // namespace

void FillYuvToRgbTable(BYTE* entries, TableLayout layout) {
    const Group* groups = GroupsOf(layout);
    const std::size_t groupBytes = YuvToRgbGroupBytes(layout);
    for (int group = 0; group < kYuvToRgbGroupCount; ++group) {
        for (std::size_t lane = 0; lane < groupBytes / sizeof(short); ++lane) {
            const short value = lane % 2 == 0 ? groups[group].even : groups[group].odd;
            std::memcpy(entries + group * groupBytes + lane * sizeof(short), &value, sizeof(short));
        }
    }
}
