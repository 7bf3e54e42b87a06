// The decoded pictures of the video stream of anything FFmpeg reads: a movie, a Y4M stream, a
// numbered picture sequence, an AVI of raw frames.
#pragma once

#include <string>

#include "ffmpeg.h"
#include "media_input.h"

class SourceVideo {
public:
    // Throws a ToolError when FFmpeg has no decoder for the stream.
    SourceVideo(const MediaInput& input, const AVStream& stream);

    // Whether the source samples are RGB rather than YUV.
    bool IsRgb() const;
    // How many packets later than it was sent the decoder reports on a packet: each of its
    // frame threads but one holds a packet it is still decoding.
    int Lag() const;

    // Gives the decoder a packet of the stream (nullptr at the end of the input); false when
    // the decoder finds the packet damaged, whose pictures are then lost.
    bool Send(const AVPacket* packet);
    // The next decoded picture, or nullptr when the decoder needs another packet or has given
    // every picture.
    const AVFrame* Receive();
    // Whether Receive() found a picture the decoder could not make since the last call.
    bool TakeDamage();

private:
    std::string name_;
    CodecContext decoder_;
    FramePointer frame_{av_frame_alloc()};
    bool damaged_ = false;
};
