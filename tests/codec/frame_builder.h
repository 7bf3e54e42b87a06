// QLNU frames put together record by record, the way a foreign or damaged writer might.
#pragma once

#include <cstring>
#include <vector>

#include "codec/qlnu_frame.h"

class FrameBuilder {
public:
    FrameBuilder& Magic(const char* magic = "QLN1") {
        Append(magic, 4);
        return *this;
    }
    // A record whose header states `size`, followed by `body` (which may be shorter or longer).
    FrameBuilder& Record(DWORD flags, DWORD size, const std::vector<BYTE>& body) {
        const FieldHeader header = {flags, size};
        Append(&header, sizeof header);
        Append(body.data(), body.size());
        return *this;
    }
    FrameBuilder& Record(DWORD flags, DWORD size, DWORD carried, BYTE fill) {
        return Record(flags, size, std::vector<BYTE>(carried, fill));
    }
    FrameBuilder& Record(DWORD flags, DWORD size, BYTE fill) {
        return Record(flags, size, size, fill);
    }
    // A record that holds exactly `field`.
    FrameBuilder& Field(DWORD flags, const std::vector<BYTE>& field) {
        return Record(flags, static_cast<DWORD>(field.size()), field);
    }

    const std::vector<BYTE>& Frame() const { return bytes_; }
    const BYTE* Data() const { return bytes_.data(); }
    DWORD Size() const { return static_cast<DWORD>(bytes_.size()); }
    std::size_t Offset(const BYTE* at) const { return static_cast<std::size_t>(at - Data()); }

private:
    void Append(const void* data, std::size_t bytes) {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + bytes);
        if (bytes != 0) {
            std::memcpy(bytes_.data() + at, data, bytes);
        }
    }

    std::vector<BYTE> bytes_;
};
