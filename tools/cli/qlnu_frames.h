// The structure of QLNU frames as a reader walks it: the "QLN1" magic, then records of an
// 8-byte header (flags, size) and their bytes, among them the picture's fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class FrameShape {
    kWhole,     // a field of each parity
    kOneField,  // one field only, which readers show line-doubled
    kDamaged,
};

struct FrameCheck {
    FrameShape shape;
    std::string damage;  // what is wrong with a damaged frame
};

// Checks a frame of a width × height picture: its records must end exactly at the frame's
// end, each field must hold width × height bytes, no two fields may have the same parity, and
// every field must lie within the first eight records, the ones readers walk.
FrameCheck CheckFrame(const uint8_t* frame, std::size_t size, int width, int height);

// How info and decode say that a file ends before the frame count its header states (0 when it
// states none): "the file is truncated: it ends inside frame 7 of the 50 its header states".
std::string TruncationText(bool insideLastFrame, int64_t lastFrame, int64_t statedFrames);
