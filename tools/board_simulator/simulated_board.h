// The board the simulator stands in for: the state its entry points change and answer from.
#pragma once

#include <deque>
#include <memory>
#include <set>
#include <vector>

#include "board_simulator.h"

// A picture the board showed: UYVY lines top to bottom, in the format's size.
struct ShownPicture {
    LONG time;
    std::vector<BYTE> uyvy;
};

// A rectangle of the board's output.
struct OutputArea {
    LONG left, top, width, height;
};

class SimulatedBoard {
public:
    // Settings (QlnsimCommand) and the entry points the driver calls.
    DWORD_PTR status = 1;
    DWORD_PTR version = 1073;
    std::set<DWORD_PTR> refusedResources;
    bool refuseRing = false;
    bool refuseFormat = false;
    DWORD ringSizeHandedBack = 0;
    LONG outputWidth = 720, outputHeight = 576;
    DWORD_PTR enabledWindows = 0;
    LONG inputPositionX = 0, inputPositionY = 0;
    bool showWhenFull = false;

    std::vector<BoardCall> calls;

    DWORD_PTR Register(DWORD_PTR resource);
    void Unregister(DWORD_PTR resource);
    void UnregisterAll();
    DWORD_PTR AllocateRing(DWORD* size);
    void ReleaseRing();
    DWORD_PTR SetFormat(DWORD_PTR width, DWORD_PTR height, DWORD_PTR timingB, DWORD_PTR timingA);
    void SetInputWindow(DWORD_PTR window, DWORD_PTR enable);
    void SetInputScale(LONG x, LONG y, LONG width, LONG height);
    void SetBlender(DWORD_PTR value);
    // Where `byteCount` bytes can be written, or -1 while the ring has no room for them.
    DWORD_PTR CheckFreeSize(DWORD_PTR byteCount);
    void AddData(DWORD_PTR time, DWORD_PTR field, DWORD_PTR kind, DWORD_PTR byteCount);
    void SetPlayback(Playback playback);
    void Flush();
    void ResetCounter(LONG time);
    LONG Time() const;

    // Shows up to `count` waiting frames, oldest first; answers how many.
    DWORD ShowFrames(DWORD count);
    BoardState State() const;
    const std::vector<ReceivedField>& Received() const { return received_; }
    const std::vector<ShownPicture>& Shown() const { return shown_; }
    // Where window 2 put the picture on the output, or the whole output when it is off.
    OutputArea PictureArea() const;

private:
    struct Frame {
        std::vector<std::size_t> fields;  // indexes into received_
        DWORD bytes = 0;
    };

    bool ShowOldestFrame();
    void PlaceField(const ReceivedField& field, std::vector<BYTE>& picture) const;

    std::set<DWORD_PTR> registered_;
    // The ring's memory stays in place once allocated, as the board's memory does: a renderer
    // that lost the board to another instance still writes into memory that exists.
    std::unique_ptr<BYTE[]> ringMemory_;
    DWORD ringCapacity_ = 0;
    DWORD ringSize_ = 0;
    DWORD requestedRingSize_ = 0;
    DWORD writeOffset_ = 0;
    DWORD bytesInUse_ = 0;
    Frame frameInProgress_;
    std::deque<Frame> waiting_;
    DWORD width_ = 0, height_ = 0, timingB_ = 0, timingA_ = 0;
    bool inputWindowEnabled_ = false;
    LONG inputX_ = 0, inputY_ = 0, inputWidth_ = 0, inputHeight_ = 0;
    DWORD blender_ = 0;
    Playback playback_ = Playback::Stopped;
    LONG counterStart_ = 0;
    DWORD shownSinceReset_ = 0;
    std::vector<ReceivedField> received_;
    std::vector<std::unique_ptr<BYTE[]>> receivedBytes_;
    std::vector<ShownPicture> shown_;
};
