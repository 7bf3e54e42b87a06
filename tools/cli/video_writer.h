// Any output FFmpeg writes (a Y4M stream, an MKV, numbered PNG files, an AVI of raw frames),
// encoded frame by frame. Raw samples are written where the container takes them, else the
// container's own codec; --codec and --pix-fmt choose otherwise.
#pragma once

#include <optional>
#include <string>

#include "ffmpeg.h"

struct VideoWriterChoices {
    std::optional<std::string> codec;        // an FFmpeg encoder name
    std::optional<std::string> pixelFormat;  // an FFmpeg pixel format name
};

class VideoWriter {
public:
    // Throws ToolError when FFmpeg cannot write such a file or the file cannot be created. The
    // output is removed again unless Finish() completes. `nearest` is the pixel format of the
    // pictures to come; the writer keeps as close to it as its encoder allows.
    VideoWriter(const std::string& path, int width, int height, AVRational frameRate,
                AVPixelFormat nearest, const VideoWriterChoices& choices);

    // The pixel format the encoder is given.
    AVPixelFormat PixelFormat() const { return encoder_->pix_fmt; }
    // Converts `picture` to the encoder's pixel format and writes it.
    void Write(const AVFrame& picture);
    void Finish();

private:
    void OpenEncoder(int width, int height, AVRational frameRate, AVPixelFormat nearest,
                     const VideoWriterChoices& choices);
    // Passes a frame (or the end, for nullptr) to the encoder and writes what it gives back.
    void Encode(const AVFrame* frame);
    [[noreturn]] void Fail(int error) const;

    // Declared first, so that the file is closed before it is removed.
    PendingOutput output_;
    OutputContext muxer_;
    AVStream* stream_ = nullptr;
    CodecContext encoder_;
    FramePointer frame_{av_frame_alloc()};
    PacketPointer packet_{av_packet_alloc()};
    Scaler scaler_;
    int64_t frames_ = 0;
};
