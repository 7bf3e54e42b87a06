#include "media_input.h"

#include <cstring>

#include "interrupt.h"
#include "tool_error.h"

namespace {

std::string RateText(AVRational rate) {
    return std::to_string(rate.num) + (rate.den == 1 ? "" : "/" + std::to_string(rate.den));
}

}  // namespace

MediaInput::MediaInput(const std::string& path, std::optional<AVRational> rate)
    : file_(path), name_(ShownName(path, false)) {
    AVFormatContext* context = avformat_alloc_context();
    if (context == nullptr) {
        throw std::bad_alloc();
    }
    context->interrupt_callback = InterruptCallback();
    if (file_.Io() != nullptr) {
        context->pb = file_.Io();
        context->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    AVDictionary* options = nullptr;
    if (rate) {
        av_dict_set(&options, "framerate", RateText(*rate).c_str(), 0);
    }
    // FFmpeg frees the context when it cannot open the input.
    const int error =
        avformat_open_input(&context, path == "-" ? "pipe:" : path.c_str(), nullptr, &options);
    const bool rateUnused = av_dict_get(options, "framerate", nullptr, 0) != nullptr;
    av_dict_free(&options);
    StopIfInterrupted();
    if (error < 0) {
        throw FileError(name_, error == AVERROR_INVALIDDATA ? "not a video file FFmpeg can read"
                                                            : AvErrorText(error));
    }
    context_.reset(context);
    if (rate && rateUnused) {
        throw ToolError(
            "--rate is for picture sequences; " + name_ + " keeps its own time (leave --rate out)",
            kExitUsage);
    }
    if (const int found = avformat_find_stream_info(context_.get(), nullptr); found < 0) {
        StopIfInterrupted();
        throw FileError(name_, AvErrorText(found));
    }
}

std::optional<AviVideoProperties> MediaInput::AviProperties() const {
    if (std::strcmp(context_->iformat->name, "avi") != 0) {
        return std::nullopt;
    }
    return ReadAviVideoProperties(file_.FirstBytes());
}

AVStream& MediaInput::VideoStream() const {
    const int index = av_find_best_stream(context_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        throw FileError(name_, "holds no video stream");
    }
    return *context_->streams[index];
}

AVStream& MediaInput::VideoStreamTagged(uint32_t fourcc) const {
    for (unsigned i = 0; i < context_->nb_streams; ++i) {
        const AVCodecParameters& format = *context_->streams[i]->codecpar;
        if (format.codec_type == AVMEDIA_TYPE_VIDEO && format.codec_tag == fourcc) {
            return *context_->streams[i];
        }
    }
    char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
    throw FileError(name_,
                    std::string("has no ") + av_fourcc_make_string(tag, fourcc) + " video stream");
}

AVRational MediaInput::FrameRate(AVStream& stream) const {
    const AVRational rate = av_guess_frame_rate(context_.get(), &stream, nullptr);
    return rate.num > 0 && rate.den > 0 ? rate : AVRational{25, 1};
}

std::vector<AVStream*> MediaInput::AudioStreams() const {
    std::vector<AVStream*> streams;
    for (unsigned i = 0; i < context_->nb_streams; ++i) {
        if (context_->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            streams.push_back(context_->streams[i]);
        }
    }
    return streams;
}

bool MediaInput::Read(AVPacket* packet) {
    const int read = av_read_frame(context_.get(), packet);
    StopIfInterrupted();
    if (read == AVERROR_EOF) {
        return false;
    }
    if (read < 0) {
        throw FileError(name_, "cannot read: " + AvErrorText(read));
    }
    return true;
}
