// The sound of a job. Every sound stream of the input goes to the output: copied where the
// container takes it as it is, converted where it does not (to PCM, or to the container's own
// sound codec where it takes no PCM), or left out with the reason given in the summary.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "media_input.h"
#include "media_output.h"

class SoundTrack;

// The layout of `layout`'s channels, the usual one for their number when it does not say
// (as AVI files do not).
AVChannelLayout KnownLayout(const AVChannelLayout& layout);

class Sound {
public:
    // Adds the output's sound streams (before the output starts); `wanted` false (--no-audio)
    // leaves all sound out. Sound keeps its time against the video whose first frame is at
    // `origin` (in the video stream's time base) and becomes the output's time 0.
    Sound(const MediaInput& input, MediaOutput& output, bool wanted, const AVStream& video,
          int64_t origin);
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Passes on `packet` when it belongs to a sound stream; false when it does not.
    bool Take(AVPacket* packet);
    // Passes on what the converters still hold; called before the output is finished.
    void Finish();
    // What became of the sound, for the summary; empty when the input has none.
    std::string Summary() const;

private:
    std::vector<std::unique_ptr<SoundTrack>> tracks_;
    std::string leftOut_;  // why the sound is not written, when it is not
};
