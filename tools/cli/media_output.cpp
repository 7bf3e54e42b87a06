#include "media_output.h"

#include <cstring>

#include "interrupt.h"
#include "tool_error.h"

namespace {

// Containers whose writer goes back to finish its header or index, which a pipe cannot.
bool GoesBack(const AVOutputFormat& format) {
    for (const char* name : {"avi", "mov", "mp4", "ipod", "3gp", "3g2", "ismv", "f4v", "psp"}) {
        if (std::strcmp(format.name, name) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

MediaOutput::MediaOutput(const std::string& path, const std::optional<std::string>& format,
                         const std::optional<FileIdentity>& input, const OutputChoices& choices)
    : path_(path), name_(ShownName(path, true)), input_(input), choices_(choices) {
    if (!format && path == "-") {
        throw ToolError(
            std::string("name the container of standard output with -f (") + choices.streams + ")",
            kExitUsage);
    }
    const char* type = format ? format->c_str() : nullptr;
    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, nullptr, type, path.c_str()) < 0) {
        if (format) {
            throw ToolError("FFmpeg writes no container called " + *format, kExitUsage);
        }
        throw FileError(path, std::string("FFmpeg knows no file type by this name (try ") +
                                  choices.names + ")");
    }
    context_.reset(context);
    context_->interrupt_callback = InterruptCallback();
    context_->opaque = this;
    if ((Format().flags & AVFMT_NOFILE) == 0) {
        RefuseInputAsOutput(path, input);
    }
}

FrameTiming MediaOutput::Timing() const {
    if (std::strcmp(Format().name, "avi") == 0) {
        return FrameTiming::kSlots;
    }
    const bool keepsNoTime = (Format().flags & AVFMT_NOTIMESTAMPS) != 0 ||
                             std::strcmp(Format().name, "yuv4mpegpipe") == 0;
    return keepsNoTime ? FrameTiming::kNone : FrameTiming::kTimestamps;
}

AVStream& MediaOutput::AddStream() {
    AVStream* stream = avformat_new_stream(context_.get(), nullptr);
    if (stream == nullptr) {
        throw std::bad_alloc();
    }
    return *stream;
}

void MediaOutput::Start() {
    if ((Format().flags & AVFMT_NOFILE) != 0) {
        // Each picture is opened by the writer, through these.
        context_->io_open = OpenPicture;
        context_->io_close = ClosePicture;
    } else {
        file_ = std::make_unique<OutputFile>(path_, input_);
        if (!file_->Seekable() && GoesBack(Format())) {
            throw FileError(name_, std::string(Format().long_name) +
                                       " cannot be written to a pipe, since its writer goes "
                                       "back to finish it; stream with " +
                                       choices_.streams);
        }
        context_->pb = file_->Io();
        context_->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    if (const int error = avformat_write_header(context_.get(), nullptr); error < 0) {
        Fail(error);
    }
}

int MediaOutput::OpenPicture(AVFormatContext* context, AVIOContext** io, const char* url, int,
                             AVDictionary**) {
    auto& output = *static_cast<MediaOutput*>(context->opaque);
    try {
        output.pictures_.push_back(std::make_unique<OutputFile>(url, output.input_));
    } catch (const ToolError& error) {
        output.pictureFailure_ = error.what();
        return AVERROR(EIO);
    }
    *io = output.pictures_.back()->Io();
    return 0;
}

void MediaOutput::ClosePicture(AVFormatContext* context, AVIOContext* io) {
    auto& output = *static_cast<MediaOutput*>(context->opaque);
    for (const auto& picture : output.pictures_) {
        if (picture->Io() == io) {
            try {
                picture->Close();
            } catch (const ToolError& error) {
                output.pictureFailure_ = error.what();
            }
            return;
        }
    }
}

void MediaOutput::Fail(int error) {
    StopIfInterrupted();
    if (!pictureFailure_.empty()) {
        throw ToolError(pictureFailure_);
    }
    throw FileError(name_, "cannot write: " + AvErrorText(error));
}

void MediaOutput::Write(AVPacket* packet) {
    if (const int error = av_interleaved_write_frame(context_.get(), packet); error < 0) {
        Fail(error);
    }
    if (!pictureFailure_.empty()) {
        Fail(AVERROR(EIO));
    }
}

void MediaOutput::Finish(const std::function<void(int descriptor)>& lastLook) {
    if (const int error = av_write_trailer(context_.get()); error < 0) {
        Fail(error);
    }
    if (!pictureFailure_.empty()) {
        Fail(AVERROR(EIO));
    }
    if (file_) {
        if (lastLook) {
            avio_flush(file_->Io());
            lastLook(file_->Descriptor());
        }
        file_->Commit();
    }
    for (const auto& picture : pictures_) {
        picture->Commit();
    }
}
