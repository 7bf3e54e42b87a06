#include "job.h"

#include <cstdio>

namespace {

const char* MissingOutcome(FrameTiming timing) {
    switch (timing) {
        case FrameTiming::kTimestamps:
            return "kept as gaps";
        case FrameTiming::kSlots:
            return "kept as empty chunks";
        case FrameTiming::kNone:
            break;
    }
    return "filled by repeating the frame before";
}

}  // namespace

Job::Job(const std::string& input, std::optional<AVRational> rate, const std::string& output,
         const std::optional<std::string>& container, const OutputChoices& choices)
    : input_(input, rate), output_(output, container, input_.File().Identity(), choices) {}

void Job::PlaceFrames(const AVStream& video, AVRational rate) {
    timeline_.emplace(output_.Timing(), video.time_base, rate, video.start_time);
}

void Job::Start(const AVStream& video, bool sound, const char* verb, int64_t expectedFrames,
                const std::vector<PacketPointer>& held) {
    sound_.emplace(input_, output_, sound, video, video.start_time);
    progress_.emplace(verb, expectedFrames);
    output_.Start();
    for (const PacketPointer& packet : held) {
        sound_->Take(packet.get());
    }
}

void Job::Pump(const AVStream& video, const std::function<void(AVPacket&)>& take) {
    PacketPointer packet(av_packet_alloc());
    while (!stopped_ && input_.Read(packet.get())) {
        if (!sound_->Take(packet.get()) && packet->stream_index == video.index) {
            take(*packet);
        }
        av_packet_unref(packet.get());
    }
}

void Job::Note(const std::string& note) {
    const std::string line = input_.Name() + ": " + note;
    if (progress_) {
        progress_->Note(line);
    } else {
        std::fprintf(stderr, "qlnu: %s\n", line.c_str());
    }
}

void Job::Finish(const std::string& what, const std::function<void(int)>& lastLook) {
    sound_->Finish();
    output_.Finish(lastLook);
    std::string summary = what;
    if (const std::string sound = sound_->Summary(); !sound.empty()) {
        summary += "; " + sound;
    }
    if (const int64_t missing = timeline_->MissingFrames(); missing > 0) {
        summary += "; " + std::to_string(missing) + " frame" + (missing == 1 ? "" : "s") +
                   " missing from the input " + MissingOutcome(output_.Timing());
    }
    progress_->Finish(summary);
}
