// QLNU frames put together record by record, the way a foreign or damaged writer might.
#pragma once

#include <cstring>
#include <vector>

#include "codec/qlnu_frame.h"

class FrameBuilder {
public:
    FrameBuilder& Magic(const char* magic = "QLN1") { return Append(magic, std::strlen(magic)); }
    // A record whose header states `size`, followed by `body` (which may be shorter or longer).
    FrameBuilder& Record(DWORD flags, DWORD size, const std::vector<BYTE>& body) {
        const FieldHeader header = {flags, size};
        Append(&header, sizeof header);
        return Append(body.data(), body.size());
    }
    // A record whose header states `size` and that carries `carried` bytes.
    FrameBuilder& Record(DWORD flags, DWORD size, DWORD carried) {
        return Record(flags, size, std::vector<BYTE>(carried, 0xA5));
    }
    FrameBuilder& Record(DWORD flags, DWORD size) { return Record(flags, size, size); }
    // A record that holds exactly `field`.
    FrameBuilder& Field(DWORD flags, const std::vector<BYTE>& field) {
        return Record(flags, static_cast<DWORD>(field.size()), field);
    }
    // Bytes after the last record, too few for a record header.
    FrameBuilder& Tail(std::size_t bytes) { return Append(std::vector<BYTE>(bytes).data(), bytes); }

    const std::vector<BYTE>& Frame() const { return bytes_; }

private:
    FrameBuilder& Append(const void* data, std::size_t bytes) {
        const auto* first = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), first, first + bytes);
        return *this;
    }

    std::vector<BYTE> bytes_;
};
