#include "picture_encoder.h"

#include <cstring>

#include "tool_error.h"

namespace {

const AVCodec* ChooseEncoder(const MediaOutput& output, const EncoderChoices& choices) {
    if (choices.codec) {
        const AVCodec* codec = avcodec_find_encoder_by_name(choices.codec->c_str());
        if (codec == nullptr || codec->type != AVMEDIA_TYPE_VIDEO) {
            throw ToolError("FFmpeg has no video encoder named " + *choices.codec, kExitUsage);
        }
        return codec;
    }
    const AVOutputFormat& container = output.Format();
    const AVCodecID id =
        av_guess_codec(&container, nullptr, output.Name().c_str(), nullptr, AVMEDIA_TYPE_VIDEO);
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
        throw FileError(output.Name(),
                        std::string("FFmpeg has no video encoder for ") + container.long_name);
    }
    return codec;
}

AVPixelFormat ChoosePixelFormat(const AVCodec& codec, const AVOutputFormat& container,
                                AVPixelFormat nearest, const EncoderChoices& choices) {
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

PictureEncoder::PictureEncoder(MediaOutput& output, const PictureStream& stream,
                               AVPixelFormat nearest, const EncoderChoices& choices)
    : output_(output),
      interlaced_(stream.fieldOrder == AV_FIELD_TT || stream.fieldOrder == AV_FIELD_BB) {
    const AVCodec* codec = ChooseEncoder(output, choices);
    CodecContext encoder(avcodec_alloc_context3(codec));
    encoder->width = stream.width;
    encoder->height = stream.height;
    encoder->pix_fmt = ChoosePixelFormat(*codec, output.Format(), nearest, choices);
    encoder->time_base = stream.timeBase;
    encoder->framerate = stream.frameRate;
    encoder->field_order = stream.fieldOrder;
    encoder->sample_aspect_ratio = stream.pixelAspect;
    if (interlaced_) {
        // Encoders that code fields (H.264, MPEG-2) do so only when asked.
        encoder->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
    }
    if ((output.Format().flags & AVFMT_GLOBALHEADER) != 0) {
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    const std::string pixelFormat = av_get_pix_fmt_name(encoder->pix_fmt);
    encoder_ = OpenCodec(
        *codec, std::move(encoder),
        output.Name() + ": cannot encode " + pixelFormat + " pictures with " + codec->name);
    stream_ = &output.AddStream();
    avcodec_parameters_from_context(stream_->codecpar, encoder_.get());
    stream_->time_base = encoder_->time_base;
    stream_->avg_frame_rate = stream.frameRate;
    stream_->sample_aspect_ratio = stream.pixelAspect;

    frame_->format = encoder_->pix_fmt;
    frame_->width = stream.width;
    frame_->height = stream.height;
    frame_->sample_aspect_ratio = stream.pixelAspect;
    frame_->interlaced_frame = interlaced_;
    frame_->top_field_first = stream.fieldOrder == AV_FIELD_TT;
    // Rows one after the other where their size allows it (packed 4:2:2 rows of pictures
    // whose width is a multiple of 16), so that the driver can write pictures in place.
    constexpr int kRowAlignment = 32;
    if (av_frame_get_buffer(frame_.get(), kRowAlignment) < 0) {
        throw std::bad_alloc();
    }
}

bool PictureEncoder::TakePicturesAsTheyAre(AVPixelFormat format, int rowBytes) {
    if (format != encoder_->pix_fmt || frame_->linesize[0] != rowBytes) {
        return false;
    }
    // The raw encoder would only copy the picture into a packet.
    rawInPlace_ = encoder_->codec_id == AV_CODEC_ID_RAWVIDEO;
    pictureBytes_ = rowBytes * encoder_->height;
    return true;
}

uint8_t* PictureEncoder::NextPicture() {
    if (rawInPlace_) {
        nextSamples_.reset(av_packet_alloc());
        if (av_new_packet(nextSamples_.get(), pictureBytes_) < 0) {
            throw std::bad_alloc();
        }
        return nextSamples_->data;
    }
    // The encoder may still hold the previous frame's buffer.
    if (av_frame_make_writable(frame_.get()) < 0) {
        throw std::bad_alloc();
    }
    return frame_->data[0];
}

void PictureEncoder::WriteNext(int64_t time) {
    if (rawInPlace_) {
        lastSamples_ = std::move(nextSamples_);
        WriteSamples(*lastSamples_, time);
        return;
    }
    frame_->pts = time;
    Encode(frame_.get());
}

void PictureEncoder::WriteSamples(const AVPacket& samples, int64_t time) {
    PacketPointer packet(av_packet_clone(&samples));
    if (!packet) {
        throw std::bad_alloc();
    }
    packet->pts = packet->dts = av_rescale_q(time, encoder_->time_base, stream_->time_base);
    packet->duration = av_rescale_q(1, av_inv_q(encoder_->framerate), stream_->time_base);
    packet->flags |= AV_PKT_FLAG_KEY;
    packet->stream_index = stream_->index;
    output_.Write(packet.get());
}

void PictureEncoder::Write(const AVFrame& picture, int64_t time) {
    // The encoder may still hold the previous frame's buffer.
    if (av_frame_make_writable(frame_.get()) < 0) {
        throw std::bad_alloc();
    }
    scaler_.Convert(picture, encoder_->pix_fmt, frame_->data, frame_->linesize, interlaced_);
    frame_->pts = time;
    Encode(frame_.get());
}

void PictureEncoder::Repeat(int64_t time) {
    if (rawInPlace_) {
        WriteSamples(*lastSamples_, time);
        return;
    }
    frame_->pts = time;
    Encode(frame_.get());
}

void PictureEncoder::Encode(const AVFrame* frame) {
    if (const int error = avcodec_send_frame(encoder_.get(), frame); error < 0) {
        throw FileError(output_.Name(), "cannot encode: " + AvErrorText(error));
    }
    for (;;) {
        const int received = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return;
        }
        if (received < 0) {
            throw FileError(output_.Name(), "cannot encode: " + AvErrorText(received));
        }
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        output_.Write(packet_.get());
    }
}

void PictureEncoder::Finish() {
    Encode(nullptr);
}
