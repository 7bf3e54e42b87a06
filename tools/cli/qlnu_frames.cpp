#include "qlnu_frames.h"

#include <cstring>

namespace {

constexpr uint32_t kOddField = 0x80000000;
constexpr int kRecordsWalked = 8;

uint32_t ReadDword(const uint8_t* bytes) {
    uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

FrameCheck Damaged(std::string damage) {
    return {FrameShape::kDamaged, std::move(damage)};
}

}  // namespace

FrameCheck CheckFrame(const uint8_t* frame, std::size_t size, int width, int height) {
    if (size < 4 || std::memcmp(frame, "QLN1", 4) != 0) {
        return Damaged("no QLN1 magic");
    }
    const std::size_t fieldBytes = static_cast<std::size_t>(width) * height;
    bool fieldSeen[2] = {false, false};
    int records = 0;
    for (std::size_t offset = 4; offset < size; ++records) {
        const std::string where = " at byte " + std::to_string(offset);
        if (size - offset < 8) {
            return Damaged("a record header is cut off" + where);
        }
        const uint32_t flags = ReadDword(frame + offset);
        const uint32_t bytes = ReadDword(frame + offset + 4);
        if (bytes > size - offset - 8) {
            return Damaged("the record" + where + " runs past the frame's end");
        }
        if ((flags & ~kOddField) == 0) {
            const bool odd = flags == kOddField;
            if (bytes != fieldBytes) {
                return Damaged("the field" + where + " holds " + std::to_string(bytes) +
                               " bytes, not " + std::to_string(fieldBytes));
            }
            if (fieldSeen[odd]) {
                return Damaged(std::string("two fields of ") + (odd ? "odd" : "even") + " lines");
            }
            if (records >= kRecordsWalked) {
                return Damaged("the field" + where + " lies past the eighth record");
            }
            fieldSeen[odd] = true;
        }
        offset += 8 + bytes;
    }
    if (!fieldSeen[0] && !fieldSeen[1]) {
        return Damaged("no field");
    }
    return {fieldSeen[0] && fieldSeen[1] ? FrameShape::kWhole : FrameShape::kOneField, ""};
}

std::string TruncationText(bool insideLastFrame, int64_t lastFrame, int64_t statedFrames) {
    std::string text = std::string("the file is truncated: it ends ") +
                       (insideLastFrame ? "inside" : "after") + " frame " +
                       std::to_string(lastFrame);
    if (statedFrames > 0) {
        text += " of the " + std::to_string(statedFrames) + " its header states";
    }
    return text;
}
