#include "video_writer.h"

#include <cstring>

#include "tool_error.h"

namespace {

const AVCodec* ChooseEncoder(const AVOutputFormat& container, const std::string& path,
                             const VideoWriterChoices& choices) {
    if (choices.codec) {
        const AVCodec* codec = avcodec_find_encoder_by_name(choices.codec->c_str());
        if (codec == nullptr || codec->type != AVMEDIA_TYPE_VIDEO) {
            throw ToolError("FFmpeg has no video encoder named " + *choices.codec, kExitUsage);
        }
        return codec;
    }
    const AVCodecID id =
        av_guess_codec(&container, nullptr, path.c_str(), nullptr, AVMEDIA_TYPE_VIDEO);
    const AVCodecDescriptor* guessed = avcodec_descriptor_get(id);
    const bool keepsSamples =
        id == AV_CODEC_ID_WRAPPED_AVFRAME ||
        (guessed != nullptr && (guessed->props & (AV_CODEC_PROP_LOSSLESS | AV_CODEC_PROP_LOSSY)) ==
                                   AV_CODEC_PROP_LOSSLESS);
    // The container's own codec when it loses nothing (PNG pictures, Y4M), else raw samples
    // where the container takes them (AVI, MKV, NUT).
    const bool raw = !keepsSamples && avformat_query_codec(&container, AV_CODEC_ID_RAWVIDEO,
                                                           FF_COMPLIANCE_NORMAL) == 1;
    const AVCodec* codec = avcodec_find_encoder(raw ? AV_CODEC_ID_RAWVIDEO : id);
    if (codec == nullptr) {
        throw FileError(path,
                        std::string("FFmpeg has no video encoder for ") + container.long_name);
    }
    return codec;
}

AVPixelFormat ChoosePixelFormat(const AVCodec& codec, const AVOutputFormat& container,
                                AVPixelFormat nearest, const VideoWriterChoices& choices) {
    if (choices.pixelFormat) {
        const AVPixelFormat format = av_get_pix_fmt(choices.pixelFormat->c_str());
        if (format == AV_PIX_FMT_NONE) {
            throw ToolError("FFmpeg has no pixel format named " + *choices.pixelFormat, kExitUsage);
        }
        return format;
    }
    if (codec.pix_fmts != nullptr) {
        return avcodec_find_best_pix_fmt_of_list(codec.pix_fmts, nearest, 0, nullptr);
    }
    // Encoders that take any samples: Y4M carries planar YUV only.
    const bool yuvPlanesOnly = std::strcmp(container.name, "yuv4mpegpipe") == 0;
    return yuvPlanesOnly ? AV_PIX_FMT_YUV422P : nearest;
}

}  // namespace

VideoWriter::VideoWriter(const std::string& path, int width, int height, AVRational frameRate,
                         AVPixelFormat nearest, const VideoWriterChoices& choices)
    : output_(path), muxer_(MakeOutput(path)) {
    OpenEncoder(width, height, frameRate, nearest, choices);
    if ((muxer_->oformat->flags & AVFMT_NOFILE) == 0) {
        if (const int error = avio_open(&muxer_->pb, path.c_str(), AVIO_FLAG_WRITE); error < 0) {
            Fail(error);
        }
        output_.Created();
    }
    if (const int error = avformat_write_header(muxer_.get(), nullptr); error < 0) {
        Fail(error);
    }
}

void VideoWriter::OpenEncoder(int width, int height, AVRational frameRate, AVPixelFormat nearest,
                              const VideoWriterChoices& choices) {
    const AVCodec* codec = ChooseEncoder(*muxer_->oformat, output_.Path(), choices);
    encoder_.reset(avcodec_alloc_context3(codec));
    encoder_->width = width;
    encoder_->height = height;
    encoder_->pix_fmt = ChoosePixelFormat(*codec, *muxer_->oformat, nearest, choices);
    encoder_->time_base = av_inv_q(frameRate);
    encoder_->framerate = frameRate;
    if ((muxer_->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (const int error = avcodec_open2(encoder_.get(), codec, nullptr); error < 0) {
        throw FileError(output_.Path(),
                        std::string("cannot encode ") + av_get_pix_fmt_name(encoder_->pix_fmt) +
                            " pictures with " + codec->name + ": " + AvErrorText(error));
    }
    stream_ = avformat_new_stream(muxer_.get(), nullptr);
    avcodec_parameters_from_context(stream_->codecpar, encoder_.get());
    stream_->time_base = encoder_->time_base;
    stream_->avg_frame_rate = frameRate;

    frame_->format = encoder_->pix_fmt;
    frame_->width = width;
    frame_->height = height;
    if (const int error = av_frame_get_buffer(frame_.get(), 0); error < 0) {
        throw ToolError("out of memory: " + AvErrorText(error));
    }
}

void VideoWriter::Fail(int error) const {
    throw FileError(output_.Path(), "cannot write: " + AvErrorText(error));
}

void VideoWriter::Write(const AVFrame& picture) {
    // The encoder may still hold the previous frame's buffer.
    if (const int error = av_frame_make_writable(frame_.get()); error < 0) {
        throw ToolError("out of memory: " + AvErrorText(error));
    }
    scaler_.Convert(picture, encoder_->pix_fmt, frame_->data, frame_->linesize);
    frame_->pts = frames_++;
    if ((muxer_->oformat->flags & AVFMT_NOFILE) != 0) {
        output_.Created();
        output_.FrameFileStarted();
    }
    Encode(frame_.get());
}

void VideoWriter::Encode(const AVFrame* frame) {
    if (const int error = avcodec_send_frame(encoder_.get(), frame); error < 0) {
        Fail(error);
    }
    for (;;) {
        const int received = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return;
        }
        if (received < 0) {
            Fail(received);
        }
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        if (const int error = av_interleaved_write_frame(muxer_.get(), packet_.get()); error < 0) {
            Fail(error);
        }
    }
}

void VideoWriter::Finish() {
    Encode(nullptr);
    if (const int error = av_write_trailer(muxer_.get()); error < 0) {
        Fail(error);
    }
    if ((muxer_->oformat->flags & AVFMT_NOFILE) == 0) {
        if (const int error = avio_closep(&muxer_->pb); error < 0) {
            Fail(error);
        }
    }
    output_.Keep();
}
