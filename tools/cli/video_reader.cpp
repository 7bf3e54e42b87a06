#include "video_reader.h"

#include "tool_error.h"

VideoReader::VideoReader(const std::string& path) : path_(path), input_(OpenInput(path)) {
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(input_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0) {
        throw FileError(path, index == AVERROR_DECODER_NOT_FOUND ? "no decoder for its video stream"
                                                                 : "holds no video stream");
    }
    stream_ = input_->streams[index];
    if (Width() <= 0 || Height() <= 0) {
        throw FileError(path, "not a video file FFmpeg can read");
    }
    decoder_.reset(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder_.get(), stream_->codecpar);
    if (const int error = avcodec_open2(decoder_.get(), codec, nullptr); error < 0) {
        throw FileError(path, "cannot decode its video: " + AvErrorText(error));
    }
    frameRate_ = av_guess_frame_rate(input_.get(), stream_, nullptr);
    if (frameRate_.num <= 0 || frameRate_.den <= 0) {
        // Single pictures and picture sequences carry no rate.
        frameRate_ = {25, 1};
    }
}

int64_t VideoReader::ExpectedFrames() const {
    if (stream_->nb_frames > 0) {
        return stream_->nb_frames;
    }
    if (input_->duration > 0) {
        return av_rescale_q(input_->duration, AV_TIME_BASE_Q, av_inv_q(frameRate_));
    }
    return 0;
}

bool VideoReader::IsRgb() const {
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(decoder_->pix_fmt);
    return format != nullptr && (format->flags & AV_PIX_FMT_FLAG_RGB) != 0;
}

const AVFrame* VideoReader::NextFrame() {
    for (;;) {
        const int received = avcodec_receive_frame(decoder_.get(), frame_.get());
        if (received == 0) {
            return frame_.get();
        }
        if (received == AVERROR_EOF) {
            return nullptr;
        }
        if (received != AVERROR(EAGAIN)) {
            throw FileError(path_, "damaged video: " + AvErrorText(received));
        }
        FeedDecoder();
    }
}

void VideoReader::FeedDecoder() {
    while (!inputEnded_) {
        const int read = av_read_frame(input_.get(), packet_.get());
        if (read == AVERROR_EOF) {
            inputEnded_ = true;
            break;
        }
        if (read < 0) {
            throw FileError(path_, "cannot read: " + AvErrorText(read));
        }
        const bool ours = packet_->stream_index == stream_->index;
        int sent = 0;
        if (ours) {
            sent = avcodec_send_packet(decoder_.get(), packet_.get());
        }
        av_packet_unref(packet_.get());
        if (sent < 0) {
            throw FileError(path_, "damaged video: " + AvErrorText(sent));
        }
        if (ours) {
            return;
        }
    }
    avcodec_send_packet(decoder_.get(), nullptr);
}
