// A container being read, packet by packet: through the tool's own file when there is one, by
// name through FFmpeg otherwise (picture sequences, URLs); every wait can be interrupted.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "avi_video_properties.h"
#include "ffmpeg.h"
#include "input_file.h"

class MediaInput {
public:
    // `rate` is the frame rate of a picture sequence; a ToolError when the input keeps its own
    // time. Throws a ToolError naming the file when FFmpeg cannot read it.
    explicit MediaInput(const std::string& path, std::optional<AVRational> rate = std::nullopt);

    AVFormatContext& Context() const { return *context_; }
    const InputFile& File() const { return file_; }
    // The input as messages name it.
    const std::string& Name() const { return name_; }

    // An AVI's video properties header, if the input is an AVI that has one.
    std::optional<AviVideoProperties> AviProperties() const;

    // The video stream FFmpeg finds best; throws a ToolError when there is none.
    AVStream& VideoStream() const;
    // The first video stream whose FourCC is `fourcc`; throws a ToolError when there is none.
    AVStream& VideoStreamTagged(uint32_t fourcc) const;
    // The frame rate of `stream`; 25 for pictures that have none.
    AVRational FrameRate(AVStream& stream) const;
    std::vector<AVStream*> AudioStreams() const;

    // The next packet of any stream; false after the last. Throws a ToolError naming the file
    // when reading fails.
    bool Read(AVPacket* packet);

private:
    InputFile file_;
    std::string name_;
    InputContext context_;
};
