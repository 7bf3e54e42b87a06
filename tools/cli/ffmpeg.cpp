#include "ffmpeg.h"

extern "C" {
#include <libavutil/error.h>
}

#include <cstdio>
#include <cstring>
#include <string_view>

#include "tool_error.h"

namespace {

bool gVerbose = false;
// FFmpeg's last error line since the last error was turned into text.
std::string gLastLogError;

void KeepOrShow(void* object, int level, const char* format, va_list arguments) {
    if (gVerbose) {
        va_list copy;
        va_copy(copy, arguments);
        av_log_default_callback(object, level, format, copy);
        va_end(copy);
    }
    if (level > AV_LOG_ERROR) {
        return;
    }
    char line[1024];
    int printPrefix = 0;  // the "[avi @ 0x...]" part names no file the user knows
    av_log_format_line2(nullptr, level, format, arguments, line, sizeof line, &printPrefix);
    std::string_view text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '.')) {
        text.remove_suffix(1);
    }
    if (!text.empty()) {
        gLastLogError = text;
    }
}

}  // namespace

void SetUpFfmpegLog(bool verbose) {
    gVerbose = verbose;
    av_log_set_level(verbose ? AV_LOG_INFO : AV_LOG_ERROR);
    av_log_set_callback(KeepOrShow);
}

std::string AvErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    std::string explained = text;
    if (!gLastLogError.empty() && error != AVERROR_EXIT) {
        explained += " (" + gLastLogError + ")";
    }
    gLastLogError.clear();
    return explained;
}

bool IsRgbPixelFormat(AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_RGB) != 0;
}

CodecContext OpenCodec(const AVCodec& codec, CodecContext context, const std::string& what) {
    if (const int error = avcodec_open2(context.get(), &codec, nullptr); error < 0) {
        throw ToolError(what + ": " + AvErrorText(error));
    }
    return context;
}
