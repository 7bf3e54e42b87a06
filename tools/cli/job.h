// What encode and decode have in common: an input, an output that is not the input, the
// driver, the time line of the frames, the sound and the progress. The input is read to its
// end, its sound passed on and its video handed to the command packet by packet.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver_host.h"
#include "media_input.h"
#include "media_output.h"
#include "progress.h"
#include "sound.h"
#include "timeline.h"

class Job {
public:
    // Opens the input (`rate` for a picture sequence) and names the output; throws a ToolError
    // when either cannot be (suggesting one of `choices`), or the output is the input.
    Job(const std::string& input, std::optional<AVRational> rate, const std::string& output,
        const std::optional<std::string>& container, const OutputChoices& choices);

    MediaInput& Input() { return input_; }
    const MediaInput& Input() const { return input_; }
    MediaOutput& Output() { return output_; }
    const MediaOutput& Output() const { return output_; }
    const DriverHost& Driver() const { return driver_; }
    Timeline& Frames() { return *timeline_; }

    // Lays out the time line of the frames of `video` at `rate` in the output.
    void PlaceFrames(const AVStream& video, AVRational rate);
    // Sets up the sound (unless `sound` is false) and the progress (`verb` and the frames
    // expected, 0 when unknown) once the command has added its video stream; starts the
    // output and passes on the sound packets in `held`.
    void Start(const AVStream& video, bool sound, const char* verb, int64_t expectedFrames,
               const std::vector<PacketPointer>& held = {});

    // Reads the input to its end, or until Stop(), passing on its sound and handing the
    // packets of `video` to `take`.
    void Pump(const AVStream& video, const std::function<void(AVPacket&)>& take);
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

    // Counts a frame done; throws a ToolError once the user has interrupted the job.
    void FrameDone() { progress_->FrameDone(); }
    // A line about the input that the progress line does not overwrite.
    void Note(const std::string& note);

    // Passes on what the sound still holds, finishes the output (`lastLook` may change the
    // written container file) and prints the summary: `what`, the sound, the missing frames.
    void Finish(const std::string& what, const std::function<void(int)>& lastLook = {});

private:
    MediaInput input_;
    DriverHost driver_;
    // Declared after the driver: the output is finished or removed before the driver goes.
    MediaOutput output_;
    std::optional<Timeline> timeline_;
    std::optional<Sound> sound_;
    std::optional<Progress> progress_;
    bool stopped_ = false;
};
