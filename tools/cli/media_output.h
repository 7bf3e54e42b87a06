// A container being written: one OutputFile for the container, or one for each picture of a
// numbered sequence. Nothing is put in place before Finish() succeeds.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ffmpeg.h"
#include "output_file.h"

// How a container keeps the time of each frame.
enum class FrameTiming {
    kTimestamps,  // each frame's own time (Matroska, QuickTime, NUT)
    kSlots,       // one slot per frame period; a slot without a frame is an empty chunk (AVI)
    kNone,        // frames one after the other (Y4M, pictures): gaps are filled by repeating
};

// What a command can write, as its messages suggest it when the output named cannot be.
struct OutputChoices {
    const char* streams;  // containers for a pipe, as -f options: "-f matroska"
    const char* names;    // file names: ".avi, .mkv or .mov"
};

class MediaOutput {
public:
    // The container is `format` (an FFmpeg muxer name, from -f) or the one FFmpeg knows by the
    // path's extension. Throws a ToolError, suggesting one of `choices`, when there is none.
    MediaOutput(const std::string& path, const std::optional<std::string>& format,
                const std::optional<FileIdentity>& input, const OutputChoices& choices);

    AVFormatContext& Context() const { return *context_; }
    const AVOutputFormat& Format() const { return *context_->oformat; }
    // The output as messages name it.
    const std::string& Name() const { return name_; }
    FrameTiming Timing() const;
    // Whether the container takes sound at all.
    bool TakesSound() const { return Format().audio_codec != AV_CODEC_ID_NONE; }

    AVStream& AddStream();
    // Opens the output and writes the container's header: throws a ToolError when the output
    // is the input or cannot be written, or the container cannot be written to it (AVI to a
    // pipe).
    void Start();
    // Writes one packet (taking its data), interleaved with the other streams' packets.
    void Write(AVPacket* packet);
    // Writes the trailer, lets `lastLook` change the written container file (given its
    // descriptor) and puts every file in place.
    void Finish(const std::function<void(int descriptor)>& lastLook = {});

private:
    static int OpenPicture(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                           AVDictionary** options);
    static void ClosePicture(AVFormatContext* context, AVIOContext* io);
    [[noreturn]] void Fail(int error);

    std::string path_;
    std::string name_;
    std::optional<FileIdentity> input_;
    OutputChoices choices_;
    // Declared before the context, which refers to their I/O contexts.
    std::unique_ptr<OutputFile> file_;
    std::vector<std::unique_ptr<OutputFile>> pictures_;
    std::string pictureFailure_;  // why the last picture could not be opened
    OutputContext context_;
};
