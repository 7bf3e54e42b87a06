// The QLNU frame: the magic "QLN1", then two field records, each an 8-byte header followed by
// a field of packed UYVY lines. A picture of w × h pixels gives a frame of 2·w·h + 20 bytes.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

inline constexpr BYTE kQlnuMagic[4] = {'Q', 'L', 'N', '1'};
inline constexpr DWORD kMagicBytes = sizeof kQlnuMagic;

// Bit 31 of a field record's Flags: the field holds the odd picture lines (the top line is 0).
inline constexpr DWORD kOddField = 0x80000000;

// What the writer reports with every frame: the chunk id "dc" (compressed video) and the index
// flags of a key frame, or-ed into the host's flags.
inline constexpr DWORD kCompressedVideoChunkId = 0x6364;
inline constexpr DWORD kFrameIndexFlags = AVIIF_KEYFRAME | AVIIF_TWOCC;

struct FieldHeader {
    DWORD Flags;  // kOddField or 0 in a field record; any other bit marks a foreign record
    DWORD Size;   // bytes of the record after this header
};
static_assert(sizeof(FieldHeader) == 8);

// Where the parts of a frame of a given picture size sit.
struct FrameLayout {
    // For a width and a row count of 0 or more.
    FrameLayout(std::int64_t width, std::int64_t rows)
        : FieldBytes(static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(rows)) {}

    std::uint64_t FieldBytes;  // w × h: h/2 lines of 2·w bytes

    std::uint64_t FirstHeader() const { return kMagicBytes; }
    std::uint64_t FirstPixels() const { return FirstHeader() + sizeof(FieldHeader); }
    std::uint64_t SecondHeader() const { return FirstPixels() + FieldBytes; }
    std::uint64_t SecondPixels() const { return SecondHeader() + sizeof(FieldHeader); }
    std::uint64_t FrameBytes() const { return SecondPixels() + FieldBytes; }
};

// One field record as the reader takes it.
struct FieldRecord {
    DWORD Flags;
    const BYTE* Pixels;

    bool IsOdd() const { return (Flags & kOddField) != 0; }
};

struct FieldPair {
    FieldRecord First;
    FieldRecord Second;
};

void WriteMagic(BYTE* frame);
void WriteFieldHeader(BYTE* at, DWORD flags, DWORD size);

// True when the frame (frameBytes long) starts with the magic, compared case-sensitively.
bool HasQlnuMagic(const BYTE* frame, DWORD frameBytes);

// Walks the records after the magic and takes the first two fields. A record counts as a field
// when its Flags bits 0 to 30 are clear and it holds at least fieldBytes (w × h) bytes, so a
// field can always be converted without reading past the frame's end; any other record is
// stepped over. A frame with one field gives it twice, the second time with the other
// OddField bit, so its lines fill the whole picture. False when the frame holds no field.
bool FindFields(const BYTE* frame, DWORD frameBytes, std::uint64_t fieldBytes, FieldPair* fields);
