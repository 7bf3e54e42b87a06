#include "avi_video_properties.h"

#include <unistd.h>

#include <cstring>
#include <string_view>

namespace {

// The header's words: nine for the frame, then eight for each field.
constexpr std::size_t kFieldCountWord = 8;
constexpr std::size_t kFrameWords = 9;
constexpr std::size_t kFieldWords = 8;
// Within a field's words.
constexpr std::size_t kValidHeightWord = 2;
constexpr std::size_t kValidWidthWord = 3;
constexpr std::size_t kStartLineWord = 7;

uint32_t Word(const std::vector<uint8_t>& bytes, std::size_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

bool IsTag(const std::vector<uint8_t>& bytes, std::size_t offset, std::string_view tag) {
    return std::memcmp(bytes.data() + offset, tag.data(), 4) == 0;
}

// Walks the chunks between `begin` and `end` for the video properties of the first video
// stream: the offset of their payload and its size, or nothing.
std::optional<std::pair<std::size_t, std::size_t>> FindProperties(const std::vector<uint8_t>& bytes,
                                                                  std::size_t begin,
                                                                  std::size_t end) {
    bool videoList = false;
    for (std::size_t offset = begin; offset + 8 <= end;) {
        const std::size_t size = Word(bytes, offset + 4);
        const std::size_t payload = offset + 8;
        if (IsTag(bytes, offset, "LIST") && payload + 4 <= end &&
            (IsTag(bytes, payload, "hdrl") || IsTag(bytes, payload, "strl"))) {
            if (const auto found =
                    FindProperties(bytes, payload + 4, std::min(end, payload + size))) {
                return found;
            }
        } else if (IsTag(bytes, offset, "strh") && payload + 4 <= end) {
            videoList = IsTag(bytes, payload, "vids");
        } else if (IsTag(bytes, offset, "vprp") && videoList && payload + size <= end) {
            return std::make_pair(payload, size);
        }
        offset = payload + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<std::pair<std::size_t, std::size_t>> FindInAvi(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 12 || !IsTag(bytes, 0, "RIFF") || !IsTag(bytes, 8, "AVI ")) {
        return std::nullopt;
    }
    const auto found = FindProperties(bytes, 12, bytes.size());
    if (!found || found->second < 4 * kFrameWords) {
        return std::nullopt;
    }
    const std::size_t fields = Word(bytes, found->first + 4 * kFieldCountWord);
    if (fields < 1 || fields > 2 || found->second < 4 * (kFrameWords + fields * kFieldWords)) {
        return std::nullopt;
    }
    return found;
}

std::size_t FieldWord(std::size_t payload, std::size_t field, std::size_t word) {
    return payload + 4 * (kFrameWords + field * kFieldWords + word);
}

}  // namespace

std::optional<AviVideoProperties> ReadAviVideoProperties(const std::vector<uint8_t>& header) {
    const auto found = FindInAvi(header);
    if (!found) {
        return std::nullopt;
    }
    const std::size_t payload = found->first;
    const std::size_t fields = Word(header, payload + 4 * kFieldCountWord);
    AviVideoProperties properties{AV_FIELD_PROGRESSIVE, 0, 0};
    if (fields == 2) {
        const bool bottomFirst = Word(header, FieldWord(payload, 0, kStartLineWord)) % 2 == 1;
        properties.fieldOrder = bottomFirst ? AV_FIELD_BB : AV_FIELD_TT;
    }
    properties.validWidth = static_cast<int>(Word(header, FieldWord(payload, 0, kValidWidthWord)));
    for (std::size_t field = 0; field < fields; ++field) {
        properties.validHeight +=
            static_cast<int>(Word(header, FieldWord(payload, field, kValidHeightWord)));
    }
    return properties;
}

bool RecordAviValidArea(int descriptor, int width, int height) {
    std::vector<uint8_t> header(64 * 1024);
    const ssize_t got = pread(descriptor, header.data(), header.size(), 0);
    header.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    const auto found = FindInAvi(header);
    if (!found) {
        return false;
    }
    const std::size_t payload = found->first;
    const std::size_t fields = Word(header, payload + 4 * kFieldCountWord);
    for (std::size_t field = 0; field < fields; ++field) {
        // A field holds the lines of its start line's parity.
        const uint32_t start = Word(header, FieldWord(payload, field, kStartLineWord)) % 2;
        const uint32_t lines = fields == 1 ? height : (height - start + 1) / 2;
        const uint32_t area[2] = {lines, static_cast<uint32_t>(width)};
        const auto at = static_cast<off_t>(FieldWord(payload, field, kValidHeightWord));
        if (pwrite(descriptor, area, sizeof area, at) != static_cast<ssize_t>(sizeof area)) {
            return false;
        }
    }
    return true;
}
