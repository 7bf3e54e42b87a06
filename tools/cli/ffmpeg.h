// FFmpeg's C objects owned the C++ way, and its error codes as text.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

struct InputContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct OutputContextCloser {
    void operator()(AVFormatContext* context) const;
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

using InputContext = std::unique_ptr<AVFormatContext, InputContextCloser>;
// A container being written; its file, if it is still open, is closed with it.
using OutputContext = std::unique_ptr<AVFormatContext, OutputContextCloser>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePointer = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPointer = std::unique_ptr<AVPacket, PacketFreer>;

std::string AvErrorText(int error);

// Opens a container for reading; throws ToolError naming the file when FFmpeg cannot read it.
InputContext OpenInput(const std::string& path);
// A container of the given type (by the file name's extension when there is none) to be
// written to `path`; throws ToolError when FFmpeg knows no such type.
OutputContext MakeOutput(const std::string& path, const char* type = nullptr);

// One SwsContext kept across frames and remade only when the source changes.
class Scaler {
public:
    // Converts `source` into `destination` (one pointer and line size per plane) of the given
    // format, at the source's size.
    void Convert(const AVFrame& source, AVPixelFormat destinationFormat,
                 uint8_t* const destination[], const int destinationLineSizes[]);

private:
    struct Setting {
        int width;
        int height;
        AVPixelFormat source;
        bool fullRange;  // the source is YUV with samples from 0 to 255
        AVPixelFormat destination;
        bool operator==(const Setting&) const = default;
    };
    static SwsContext* MakeContext(const Setting& setting);

    std::unique_ptr<SwsContext, ScalerFreer> context_;
    Setting setting_{};  // no picture has width 0, so the first one makes the context
};

// An output file that is removed again unless the job that writes it completes.
class PendingOutput {
public:
    explicit PendingOutput(std::string path) : path_(std::move(path)) {}
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& Path() const { return path_; }
    // The file exists now and is this job's to remove.
    void Created() { created_ = true; }
    // Outputs named by a frame-number pattern: one more file has been started.
    void FrameFileStarted() { ++frameFiles_; }
    void Keep() { kept_ = true; }

private:
    std::string path_;
    bool created_ = false;
    int frameFiles_ = 0;
    bool kept_ = false;
};
