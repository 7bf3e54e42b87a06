#include "source_video.h"

#include "common/fourcc.h"
#include "tool_error.h"

SourceVideo::SourceVideo(const MediaInput& input, const AVStream& stream) : name_(input.Name()) {
    if (stream.codecpar->codec_tag == kFourCCQlnu) {
        throw FileError(name_, "holds QLNU video already (qlnu decode turns it into pictures)");
    }
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (codec == nullptr) {
        throw FileError(name_, std::string("FFmpeg has no decoder for its video (") +
                                   avcodec_get_name(stream.codecpar->codec_id) + ")");
    }
    if (stream.codecpar->width <= 0 || stream.codecpar->height <= 0) {
        throw FileError(name_, "not a video file FFmpeg can read");
    }
    CodecContext decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), stream.codecpar);
    decoder->pkt_timebase = stream.time_base;
    // As many threads as the machine has, as FFmpeg's own tools decode.
    decoder->thread_count = 0;
    decoder_ = OpenCodec(*codec, std::move(decoder), name_ + ": cannot decode its video");
}

bool SourceVideo::IsRgb() const {
    return IsRgbPixelFormat(decoder_->pix_fmt);
}

int SourceVideo::Lag() const {
    return (decoder_->active_thread_type & FF_THREAD_FRAME) != 0 ? decoder_->thread_count - 1 : 0;
}

bool SourceVideo::Send(const AVPacket* packet) {
    const int sent = avcodec_send_packet(decoder_.get(), packet);
    return sent >= 0 || sent == AVERROR_EOF;
}

const AVFrame* SourceVideo::Receive() {
    const int received = avcodec_receive_frame(decoder_.get(), frame_.get());
    if (received == 0) {
        return frame_.get();
    }
    // Any other answer than "more input" or "the end" is a picture the decoder could not
    // make; the ones after the next packet may still come.
    damaged_ = received != AVERROR(EAGAIN) && received != AVERROR_EOF;
    return nullptr;
}

bool SourceVideo::TakeDamage() {
    const bool damaged = damaged_;
    damaged_ = false;
    return damaged;
}
