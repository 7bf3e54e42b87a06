#include "simulated_board.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD_PTR kNoRoom = static_cast<DWORD_PTR>(-1);
constexpr DWORD kUncompressedField = 0;
constexpr DWORD kEndOfFrame = 4;
constexpr BYTE kBlackUyvy[4] = {128, 16, 128, 16};

}  // namespace

DWORD_PTR SimulatedBoard::Register(DWORD_PTR resource) {
    if (refusedResources.count(resource) != 0) {
        return 0;
    }
    registered_.insert(resource);
    return 1;
}

void SimulatedBoard::Unregister(DWORD_PTR resource) {
    registered_.erase(resource);
}

void SimulatedBoard::UnregisterAll() {
    registered_.clear();
}

DWORD_PTR SimulatedBoard::AllocateRing(DWORD* size) {
    requestedRingSize_ = *size;
    if (refuseRing) {
        return 0;
    }
    *size = ringSizeHandedBack != 0 ? ringSizeHandedBack : *size;
    ReleaseRing();
    if (*size > ringCapacity_) {
        ringMemory_ = std::make_unique<BYTE[]>(*size);
        ringCapacity_ = *size;
    }
    ringSize_ = *size;
    return reinterpret_cast<DWORD_PTR>(ringMemory_.get());
}

void SimulatedBoard::ReleaseRing() {
    ringSize_ = 0;
    writeOffset_ = 0;
    bytesInUse_ = 0;
    frameInProgress_ = Frame{};
    waiting_.clear();
}

DWORD_PTR SimulatedBoard::SetFormat(DWORD_PTR width, DWORD_PTR height, DWORD_PTR timingB,
                                    DWORD_PTR timingA) {
    if (refuseFormat) {
        return 0;
    }
    width_ = static_cast<DWORD>(width);
    height_ = static_cast<DWORD>(height);
    timingB_ = static_cast<DWORD>(timingB);
    timingA_ = static_cast<DWORD>(timingA);
    return 1;
}

void SimulatedBoard::SetInputWindow(DWORD_PTR window, DWORD_PTR enable) {
    if (window == 2) {
        inputWindowEnabled_ = enable != 0;
    }
}

void SimulatedBoard::SetInputScale(LONG x, LONG y, LONG width, LONG height) {
    inputX_ = x;
    inputY_ = y;
    inputWidth_ = width;
    inputHeight_ = height;
}

void SimulatedBoard::SetBlender(DWORD_PTR value) {
    blender_ = static_cast<DWORD>(value);
}

DWORD_PTR SimulatedBoard::CheckFreeSize(DWORD_PTR byteCount) {
    if (byteCount > ringSize_) {
        return kNoRoom;
    }
    while (bytesInUse_ + byteCount > ringSize_) {
        if (!showWhenFull || playback_ != Playback::Running || !ShowOldestFrame()) {
            return kNoRoom;
        }
    }
    return writeOffset_;
}

// The announced bytes are the next ones of the ring, from where the last field ended.
void SimulatedBoard::AddData(DWORD_PTR time, DWORD_PTR field, DWORD_PTR kind, DWORD_PTR byteCount) {
    const DWORD count = ringSize_ == 0 ? 0 : static_cast<DWORD>(byteCount);
    auto bytes = std::make_unique<BYTE[]>(count + 1);
    for (DWORD i = 0; i < count; ++i) {
        bytes[i] = ringMemory_[(writeOffset_ + i) % ringSize_];
    }
    received_.push_back({static_cast<LONG>(time), static_cast<DWORD>(field),
                         static_cast<DWORD>(kind), count, writeOffset_, bytes.get()});
    receivedBytes_.push_back(std::move(bytes));
    if (ringSize_ == 0) {
        return;
    }
    writeOffset_ = (writeOffset_ + count) % ringSize_;
    bytesInUse_ += count;
    frameInProgress_.fields.push_back(received_.size() - 1);
    frameInProgress_.bytes += count;
    if (kind == kEndOfFrame) {
        waiting_.push_back(std::move(frameInProgress_));
        frameInProgress_ = Frame{};
    }
}

void SimulatedBoard::SetPlayback(Playback playback) {
    playback_ = playback;
}

// Frames not shown yet are dropped, and their room in the ring freed.
void SimulatedBoard::Flush() {
    for (const Frame& frame : waiting_) {
        bytesInUse_ -= frame.bytes;
    }
    waiting_.clear();
}

void SimulatedBoard::ResetCounter(LONG time) {
    counterStart_ = time;
    shownSinceReset_ = 0;
}

// The counter counts the frames shown since it was last set.
LONG SimulatedBoard::Time() const {
    return counterStart_ + static_cast<LONG>(shownSinceReset_);
}

DWORD SimulatedBoard::ShowFrames(DWORD count) {
    DWORD shown = 0;
    while (shown < count && ShowOldestFrame()) {
        ++shown;
    }
    return shown;
}

bool SimulatedBoard::ShowOldestFrame() {
    if (waiting_.empty()) {
        return false;
    }
    const Frame frame = std::move(waiting_.front());
    waiting_.pop_front();
    bytesInUse_ -= frame.bytes;
    std::vector<BYTE> picture(std::size_t{width_} * height_ * 2);
    for (std::size_t at = 0; at + 4 <= picture.size(); at += 4) {
        std::memcpy(&picture[at], kBlackUyvy, 4);
    }
    for (const std::size_t index : frame.fields) {
        PlaceField(received_[index], picture);
    }
    shown_.push_back({received_[frame.fields.back()].time, std::move(picture)});
    ++shownSinceReset_;
    return true;
}

// An uncompressed field of the format's size fills every other line: the odd lines for field
// 1, the even ones for field 0. The board decodes coded fields itself; the simulator cannot,
// so their lines stay black.
void SimulatedBoard::PlaceField(const ReceivedField& field, std::vector<BYTE>& picture) const {
    const std::size_t lineBytes = std::size_t{width_} * 2;
    const std::size_t lines = height_ / 2;
    if (field.kind != kUncompressedField || field.byteCount != lineBytes * lines) {
        return;
    }
    for (std::size_t line = 0; line < lines; ++line) {
        std::memcpy(&picture[(line * 2 + (field.field != 0 ? 1 : 0)) * lineBytes],
                    field.bytes + line * lineBytes, lineBytes);
    }
}

BoardState SimulatedBoard::State() const {
    DWORD_PTR registered = 0;
    for (const DWORD_PTR resource : registered_) {
        registered |= resource < sizeof(DWORD_PTR) * 8 ? DWORD_PTR{1} << resource : 0;
    }
    return {playback_,
            Time(),
            requestedRingSize_,
            ringSize_,
            bytesInUse_,
            static_cast<DWORD>(waiting_.size()),
            static_cast<DWORD>(shown_.size()),
            width_,
            height_,
            timingB_,
            timingA_,
            inputWindowEnabled_,
            inputX_,
            inputY_,
            inputWidth_,
            inputHeight_,
            blender_,
            registered};
}

OutputArea SimulatedBoard::PictureArea() const {
    if (!inputWindowEnabled_) {
        return {0, 0, outputWidth, outputHeight};
    }
    return {inputX_, inputY_, inputWidth_, inputHeight_};
}
