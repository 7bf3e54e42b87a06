#include "ffmpeg.h"

extern "C" {
#include <libavutil/error.h>
}

#include <cstdio>

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

void Scaler::Convert(const AVFrame& source, AVPixelFormat destinationFormat,
                     uint8_t* const destination[], const int destinationLineSizes[]) {
    // Bit-exact, accurately rounded arithmetic: the same source always gives the same samples,
    // and repacking between 4:2:2 layouts loses nothing.
    constexpr int kFlags = SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT;
    context_.reset(sws_getCachedContext(
        context_.release(), source.width, source.height, static_cast<AVPixelFormat>(source.format),
        source.width, source.height, destinationFormat, kFlags, nullptr, nullptr, nullptr));
    if (!context_) {
        throw ToolError(std::string("cannot convert pictures from ") +
                        av_get_pix_fmt_name(static_cast<AVPixelFormat>(source.format)) + " to " +
                        av_get_pix_fmt_name(destinationFormat));
    }
    sws_scale(context_.get(), source.data, source.linesize, 0, source.height, destination,
              destinationLineSizes);
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
