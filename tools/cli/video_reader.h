// The decoded frames of the first video stream of anything FFmpeg reads: a movie, a Y4M
// stream, a numbered picture sequence, an AVI of raw frames.
#pragma once

#include <string>

#include "ffmpeg.h"

class VideoReader {
public:
    // Throws ToolError when the file cannot be read or holds no video.
    explicit VideoReader(const std::string& path);

    int Width() const { return stream_->codecpar->width; }
    int Height() const { return stream_->codecpar->height; }
    AVRational FrameRate() const { return frameRate_; }
    // The frame count the container states or its duration implies; 0 when unknown.
    int64_t ExpectedFrames() const;
    // Whether the source samples are RGB rather than YUV.
    bool IsRgb() const;

    // The next decoded frame, or nullptr after the last one.
    const AVFrame* NextFrame();

private:
    // Feeds the decoder one packet of the stream, or the end of the stream.
    void FeedDecoder();

    std::string path_;
    InputContext input_;
    AVStream* stream_ = nullptr;
    CodecContext decoder_;
    AVRational frameRate_{};
    PacketPointer packet_{av_packet_alloc()};
    FramePointer frame_{av_frame_alloc()};
    bool inputEnded_ = false;
};
