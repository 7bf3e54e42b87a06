// Where each frame goes on the output's time line. Frames keep their own time where the
// container has timestamps; in AVI each takes the slot of its frame period, and a slot left
// without a frame stays an empty chunk (how capture programs mark a dropped frame); where
// frames simply follow each other (Y4M, pictures) a gap is filled by repeating the frame
// before it.
#pragma once

#include <cstdint>

#include "media_output.h"

class Timeline {
public:
    // `origin` is the time (in `inputTimeBase`) that becomes the output's time 0.
    Timeline(FrameTiming timing, AVRational inputTimeBase, AVRational frameRate, int64_t origin);

    // The time base of the output times given by Place().
    AVRational OutputTimeBase() const;

    struct Placement {
        int64_t time;  // the output time of the first frame to write
        // 1; more where a gap before the frame is filled: the frame before is written
        // copies - 1 times, then the frame.
        int64_t copies;
    };
    // Places the frame stamped `time` (input time base; AV_NOPTS_VALUE when unknown).
    Placement Place(int64_t time);
    // Leaves out the frame stamped `time`: its period stays empty where the container keeps
    // time, and is gone where it does not.
    void Skip(int64_t time);

    // Frame periods without a frame in the input, found so far (a leading gap included).
    int64_t MissingFrames() const { return missing_; }

private:
    // The frame period of `time` counted from the origin, never before the period after the
    // last one taken.
    int64_t SlotOf(int64_t time) const;

    FrameTiming timing_;
    AVRational inputTimeBase_;
    AVRational frameRate_;
    int64_t origin_;
    int64_t lastSlot_ = -1;
    int64_t lastTime_ = AV_NOPTS_VALUE;  // kTimestamps: the last output time
    int64_t written_ = 0;                // kNone: frames written so far
    int64_t missing_ = 0;
};
