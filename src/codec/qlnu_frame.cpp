#include "codec/qlnu_frame.h"

#include <cstring>

namespace {

// A walk never looks at more records than this, whatever the frame holds.
constexpr int kMaxRecords = 8;

FieldHeader ReadFieldHeader(const BYTE* at) {
    FieldHeader header;
    std::memcpy(&header, at, sizeof header);
    return header;
}

bool IsFieldRecord(const FieldHeader& header, std::uint64_t fieldBytes) {
    return (header.Flags & ~kOddField) == 0 && header.Size >= fieldBytes;
}

}  // namespace

void WriteMagic(BYTE* frame) {
    std::memcpy(frame, kQlnuMagic, sizeof kQlnuMagic);
}

void WriteFieldHeader(BYTE* at, DWORD flags, DWORD size) {
    const FieldHeader header = {flags, size};
    std::memcpy(at, &header, sizeof header);
}

bool HasQlnuMagic(const BYTE* frame, DWORD frameBytes) {
    return frameBytes >= kMagicBytes && std::memcmp(frame, kQlnuMagic, kMagicBytes) == 0;
}

bool FindFields(const BYTE* frame, DWORD frameBytes, std::uint64_t fieldBytes, FieldPair* fields) {
    FieldRecord found[2];
    int foundCount = 0;
    // Offsets instead of pointers: a Size near 4 GiB must not wrap the cursor.
    std::uint64_t cursor = kMagicBytes;
    for (int record = 0; record < kMaxRecords && foundCount < 2; ++record) {
        // A record is read only when at least one byte follows its header.
        if (cursor + sizeof(FieldHeader) >= frameBytes) {
            break;
        }
        const FieldHeader header = ReadFieldHeader(frame + cursor);
        const std::uint64_t body = cursor + sizeof(FieldHeader);
        if (header.Size > frameBytes - body) {
            break;
        }
        if (IsFieldRecord(header, fieldBytes)) {
            found[foundCount++] = {header.Flags, frame + body};
        }
        cursor = body + header.Size;
    }
    if (foundCount == 0) {
        return false;
    }
    fields->First = found[0];
    fields->Second =
        foundCount == 2 ? found[1] : FieldRecord{found[0].Flags ^ kOddField, found[0].Pixels};
    return true;
}
