#include "timeline.h"

#include <algorithm>

Timeline::Timeline(FrameTiming timing, AVRational inputTimeBase, AVRational frameRate,
                   int64_t origin)
    : timing_(timing),
      inputTimeBase_(inputTimeBase),
      frameRate_(frameRate),
      origin_(origin == AV_NOPTS_VALUE ? 0 : origin) {}

AVRational Timeline::OutputTimeBase() const {
    return timing_ == FrameTiming::kTimestamps ? inputTimeBase_ : av_inv_q(frameRate_);
}

int64_t Timeline::SlotOf(int64_t time) const {
    if (time == AV_NOPTS_VALUE) {
        return lastSlot_ + 1;
    }
    const int64_t slot = av_rescale_q_rnd(time - origin_, inputTimeBase_, av_inv_q(frameRate_),
                                          static_cast<AVRounding>(AV_ROUND_NEAR_INF));
    return std::max(slot, lastSlot_ + 1);
}

Timeline::Placement Timeline::Place(int64_t time) {
    const int64_t slot = SlotOf(time);
    const int64_t gap = slot - lastSlot_ - 1;
    missing_ += gap;
    lastSlot_ = slot;
    switch (timing_) {
        case FrameTiming::kTimestamps: {
            const int64_t period = av_rescale_q(1, av_inv_q(frameRate_), inputTimeBase_);
            int64_t output = time != AV_NOPTS_VALUE        ? time - origin_
                             : lastTime_ == AV_NOPTS_VALUE ? 0
                                                           : lastTime_ + period;
            if (lastTime_ != AV_NOPTS_VALUE) {
                output = std::max(output, lastTime_ + 1);
            }
            lastTime_ = output;
            return {output, 1};
        }
        case FrameTiming::kSlots:
            return {slot, 1};
        case FrameTiming::kNone:
            break;
    }
    // The first frame starts the output however late it comes.
    const int64_t copies = written_ == 0 ? 1 : 1 + gap;
    const Placement placement{written_, copies};
    written_ += copies;
    return placement;
}

void Timeline::Skip(int64_t time) {
    const int64_t slot = SlotOf(time);
    missing_ += slot - lastSlot_ - 1;
    lastSlot_ = slot;
}
