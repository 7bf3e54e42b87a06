#include "ffmpeg.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

#include <cstdio>
#include <utility>

#include "tool_error.h"

std::string AvErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

InputContext OpenInput(const std::string& path) {
    AVFormatContext* context = nullptr;
    if (const int error = avformat_open_input(&context, path.c_str(), nullptr, nullptr);
        error < 0) {
        const bool unknownFormat = error == AVERROR_INVALIDDATA;
        throw FileError(path,
                        unknownFormat ? "not a video file FFmpeg can read" : AvErrorText(error));
    }
    InputContext input(context);
    if (const int error = avformat_find_stream_info(context, nullptr); error < 0) {
        throw FileError(path, AvErrorText(error));
    }
    return input;
}

void OutputContextCloser::operator()(AVFormatContext* context) const {
    if (context->pb != nullptr && (context->oformat->flags & AVFMT_NOFILE) == 0) {
        avio_closep(&context->pb);
    }
    avformat_free_context(context);
}

OutputContext MakeOutput(const std::string& path, const char* type) {
    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, nullptr, type, path.c_str()) < 0) {
        throw FileError(path,
                        "FFmpeg knows no file type by this name (try .avi, .mkv, .y4m, "
                        "or frame%04d.png)");
    }
    return OutputContext(context);
}

namespace {

// The pixel format with its samples' range: each "yuvj" format is its "yuv" twin at full range.
std::pair<AVPixelFormat, bool> FormatAndFullRange(const AVFrame& frame) {
    const auto format = static_cast<AVPixelFormat>(frame.format);
    const std::string name = av_get_pix_fmt_name(format);
    if (name.starts_with("yuvj")) {
        return {av_get_pix_fmt(("yuv" + name.substr(4)).c_str()), true};
    }
    const bool yuv = (av_pix_fmt_desc_get(format)->flags & AV_PIX_FMT_FLAG_RGB) == 0;
    return {format, yuv && frame.color_range == AVCOL_RANGE_JPEG};
}

}  // namespace

void Scaler::Convert(const AVFrame& source, AVPixelFormat destinationFormat,
                     uint8_t* const destination[], const int destinationLineSizes[]) {
    const auto [sourceFormat, fullRange] = FormatAndFullRange(source);
    const Setting setting{source.width, source.height, sourceFormat, fullRange, destinationFormat};
    if (setting != setting_) {
        context_.reset(MakeContext(setting));
        setting_ = setting;
    }
    sws_scale(context_.get(), source.data, source.linesize, 0, source.height, destination,
              destinationLineSizes);
}

SwsContext* Scaler::MakeContext(const Setting& setting) {
    SwsContext* context = sws_alloc_context();
    // Bit-exact, accurately rounded arithmetic: the same source always gives the same samples,
    // and repacking between 4:2:2 layouts loses nothing.
    av_opt_set_int(context, "sws_flags", SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT, 0);
    av_opt_set_int(context, "srcw", setting.width, 0);
    av_opt_set_int(context, "srch", setting.height, 0);
    av_opt_set_int(context, "dstw", setting.width, 0);
    av_opt_set_int(context, "dsth", setting.height, 0);
    av_opt_set_pixel_fmt(context, "src_format", setting.source, 0);
    av_opt_set_pixel_fmt(context, "dst_format", setting.destination, 0);
    // The range is set before the context is made, since swscale chooses its conversion then:
    // full-range YUV (from cameras and pictures) is brought to the codec's studio range.
    av_opt_set_int(context, "src_range", setting.fullRange, 0);
    av_opt_set_int(context, "dst_range", 0, 0);
    if (sws_init_context(context, nullptr, nullptr) < 0) {
        sws_freeContext(context);
        throw ToolError(std::string("cannot convert pictures from ") +
                        av_get_pix_fmt_name(setting.source) + " to " +
                        av_get_pix_fmt_name(setting.destination));
    }
    return context;
}

PendingOutput::~PendingOutput() {
    if (kept_) {
        return;
    }
    char name[4096];
    if (av_get_frame_filename2(name, sizeof name, path_.c_str(), 1, 0) == 0) {
        // Frame files are numbered from 1.
        for (int frame = 1; frame <= frameFiles_; ++frame) {
            av_get_frame_filename2(name, sizeof name, path_.c_str(), frame, 0);
            std::remove(name);
        }
    } else if (created_) {
        std::remove(path_.c_str());
    }
}
