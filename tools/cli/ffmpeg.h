// FFmpeg's C objects owned the C++ way, its log, and its error codes as text.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

struct InputContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct OutputContextFreer {
    void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};
struct CodecContextFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
struct ResamplerFreer {
    void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};

// Containers being read and written; the I/O contexts they use are the tool's own.
using InputContext = std::unique_ptr<AVFormatContext, InputContextCloser>;
using OutputContext = std::unique_ptr<AVFormatContext, OutputContextFreer>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePointer = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPointer = std::unique_ptr<AVPacket, PacketFreer>;

// FFmpeg's own log goes to standard error only when `verbose`; otherwise its last error line is
// kept to explain the next error code that AvErrorText() turns into text.
void SetUpFfmpegLog(bool verbose);

// "Permission denied", "Invalid data found when processing input"; for an error FFmpeg has
// explained in its log, that explanation after it.
std::string AvErrorText(int error);

// Whether FFmpeg's pixel format holds RGB samples rather than YUV or grey.
bool IsRgbPixelFormat(AVPixelFormat format);

// A codec context for `codec`, opened; throws a ToolError starting with `what` when FFmpeg
// cannot open it.
CodecContext OpenCodec(const AVCodec& codec, CodecContext context, const std::string& what);
