#include "sound.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
}

#include <cstring>

#include "tool_error.h"

namespace {

bool IsPcm(AVCodecID codec) {
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec);
    return descriptor != nullptr && std::strncmp(descriptor->name, "pcm_", 4) == 0;
}

bool Takes(const AVOutputFormat& container, AVCodecID codec) {
    if (std::strcmp(container.name, "avi") == 0) {
        // The hosts AVI files are made for play PCM and MP3 through Windows' own codecs.
        return IsPcm(codec) || codec == AV_CODEC_ID_MP3;
    }
    return avformat_query_codec(&container, codec, FF_COMPLIANCE_NORMAL) == 1;
}

// PCM deep enough for the source: 24 bits for sound recorded with more than 16.
AVCodecID PcmFor(const AVCodecParameters& sound) {
    return sound.bits_per_raw_sample > 16 ? AV_CODEC_ID_PCM_S24LE : AV_CODEC_ID_PCM_S16LE;
}

std::string CodecName(AVCodecID codec) {
    return avcodec_get_name(codec);
}

}  // namespace

AVChannelLayout KnownLayout(const AVChannelLayout& layout) {
    AVChannelLayout known{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&known, layout.nb_channels);
    } else {
        av_channel_layout_copy(&known, &layout);
    }
    return known;
}

namespace {

struct FifoFreer {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

}  // namespace

// One sound stream, copied or converted.
class SoundTrack {
public:
    SoundTrack(const AVStream& input, MediaOutput& output, AVCodecID target, int64_t shift)
        : input_(input), output_(output), outputStream_(output.AddStream()), shift_(shift) {
        outputStream_.codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
        if (target == input.codecpar->codec_id) {
            avcodec_parameters_copy(outputStream_.codecpar, input.codecpar);
            // The container chooses its own tag for the codec.
            outputStream_.codecpar->codec_tag = 0;
            outputStream_.time_base = input.time_base;
        } else {
            OpenConverter(target);
        }
    }

    int Index() const { return input_.index; }
    std::string Description() const {
        const std::string source = CodecName(input_.codecpar->codec_id);
        return encoder_ ? source + " converted to " + CodecName(encoder_->codec_id)
                        : source + " copied";
    }

    void Take(AVPacket* packet) {
        if (packet->pts != AV_NOPTS_VALUE) {
            packet->pts -= shift_;
        }
        if (packet->dts != AV_NOPTS_VALUE) {
            packet->dts -= shift_;
        }
        if (!encoder_) {
            av_packet_rescale_ts(packet, input_.time_base, outputStream_.time_base);
            packet->stream_index = outputStream_.index;
            packet->pos = -1;
            output_.Write(packet);
            return;
        }
        // A damaged sound packet is left out; the sound after it keeps its time.
        if (avcodec_send_packet(decoder_.get(), packet) == 0) {
            DrainDecoder();
        }
    }

    void Finish() {
        if (!encoder_) {
            return;
        }
        avcodec_send_packet(decoder_.get(), nullptr);
        DrainDecoder();
        if (resampler_) {
            Resample(nullptr);
        }
        PassOnSamples(true);
        Encode(nullptr);
    }

private:
    void OpenConverter(AVCodecID target) {
        const AVCodec* decoder = avcodec_find_decoder(input_.codecpar->codec_id);
        const AVCodec* encoder = avcodec_find_encoder(target);
        if (decoder == nullptr || encoder == nullptr) {
            throw ToolError("FFmpeg cannot convert " + CodecName(input_.codecpar->codec_id) +
                            " sound to " + CodecName(target) + " (--no-audio leaves it out)");
        }
        CodecContext decoding(avcodec_alloc_context3(decoder));
        avcodec_parameters_to_context(decoding.get(), input_.codecpar);
        decoding->pkt_timebase = input_.time_base;
        decoder_ = OpenCodec(*decoder, std::move(decoding), "cannot decode the sound");

        CodecContext encoding(avcodec_alloc_context3(encoder));
        encoding->sample_rate = decoder_->sample_rate;
        encoding->ch_layout = KnownLayout(decoder_->ch_layout);
        encoding->sample_fmt = encoder->sample_fmts[0];
        encoding->time_base = {1, decoder_->sample_rate};
        if (!IsPcm(target)) {
            constexpr int64_t kBitsPerChannel = 96'000;  // transparent AAC
            encoding->bit_rate = kBitsPerChannel * decoder_->ch_layout.nb_channels;
        }
        if ((output_.Format().flags & AVFMT_GLOBALHEADER) != 0) {
            encoding->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        encoder_ = OpenCodec(*encoder, std::move(encoding), "cannot convert the sound");
        avcodec_parameters_from_context(outputStream_.codecpar, encoder_.get());
        outputStream_.time_base = encoder_->time_base;
        fifo_.reset(av_audio_fifo_alloc(encoder_->sample_fmt, encoder_->ch_layout.nb_channels, 1));
        const bool anySize = (encoder->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
        constexpr int kPcmFrameSamples = 4096;
        frameSamples_ =
            anySize || encoder_->frame_size <= 0 ? kPcmFrameSamples : encoder_->frame_size;
    }

    void DrainDecoder() {
        while (avcodec_receive_frame(decoder_.get(), decoded_.get()) == 0) {
            if (nextTime_ == AV_NOPTS_VALUE && decoded_->best_effort_timestamp != AV_NOPTS_VALUE) {
                nextTime_ = av_rescale_q(decoded_->best_effort_timestamp, input_.time_base,
                                         encoder_->time_base);
            }
            // The resampler checks every frame against the layout it was made for.
            AVChannelLayout known = KnownLayout(decoded_->ch_layout);
            av_channel_layout_uninit(&decoded_->ch_layout);
            decoded_->ch_layout = known;
            if (!resampler_) {
                MakeResampler(*decoded_);
            }
            Resample(decoded_.get());
            av_frame_unref(decoded_.get());
            PassOnSamples(false);
        }
    }

    void MakeResampler(AVFrame& frame) {
        SwrContext* resampler = nullptr;
        if (swr_alloc_set_opts2(&resampler, &encoder_->ch_layout, encoder_->sample_fmt,
                                encoder_->sample_rate, &frame.ch_layout,
                                static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(resampler) < 0) {
            swr_free(&resampler);
            throw ToolError("cannot convert " + CodecName(input_.codecpar->codec_id) + " sound");
        }
        resampler_.reset(resampler);
    }

    // Converts `frame` (nullptr: what the resampler still holds) into the queue of samples.
    void Resample(const AVFrame* frame) {
        FramePointer converted(av_frame_alloc());
        av_channel_layout_copy(&converted->ch_layout, &encoder_->ch_layout);
        converted->format = encoder_->sample_fmt;
        converted->sample_rate = encoder_->sample_rate;
        if (const int error = swr_convert_frame(resampler_.get(), converted.get(), frame);
            error < 0) {
            throw ToolError("cannot convert " + CodecName(input_.codecpar->codec_id) +
                            " sound: " + AvErrorText(error));
        }
        if (converted->nb_samples > 0) {
            av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(converted->data),
                                converted->nb_samples);
        }
    }

    // Encodes whole frames from the queue, and at the end what is left.
    void PassOnSamples(bool end) {
        while (av_audio_fifo_size(fifo_.get()) >= frameSamples_ ||
               (end && av_audio_fifo_size(fifo_.get()) > 0)) {
            FramePointer frame(av_frame_alloc());
            frame->nb_samples = std::min(frameSamples_, av_audio_fifo_size(fifo_.get()));
            av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout);
            frame->format = encoder_->sample_fmt;
            frame->sample_rate = encoder_->sample_rate;
            if (av_frame_get_buffer(frame.get(), 0) < 0) {
                throw std::bad_alloc();
            }
            av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data),
                               frame->nb_samples);
            frame->pts = nextTime_ == AV_NOPTS_VALUE ? 0 : nextTime_;
            nextTime_ = frame->pts + frame->nb_samples;
            Encode(frame.get());
        }
    }

    void Encode(const AVFrame* frame) {
        if (const int error = avcodec_send_frame(encoder_.get(), frame); error < 0) {
            throw ToolError("cannot convert the sound: " + AvErrorText(error));
        }
        while (avcodec_receive_packet(encoder_.get(), packet_.get()) == 0) {
            av_packet_rescale_ts(packet_.get(), encoder_->time_base, outputStream_.time_base);
            packet_->stream_index = outputStream_.index;
            output_.Write(packet_.get());
        }
    }

    const AVStream& input_;
    MediaOutput& output_;
    AVStream& outputStream_;
    int64_t shift_;  // subtracted from every time, in the input's time base
    CodecContext decoder_;
    CodecContext encoder_;
    std::unique_ptr<SwrContext, ResamplerFreer> resampler_;
    std::unique_ptr<AVAudioFifo, FifoFreer> fifo_;
    int frameSamples_ = 0;
    int64_t nextTime_ = AV_NOPTS_VALUE;  // of the next sample to encode, in the encoder's base
    FramePointer decoded_{av_frame_alloc()};
    PacketPointer packet_{av_packet_alloc()};
};

Sound::Sound(const MediaInput& input, MediaOutput& output, bool wanted, const AVStream& video,
             int64_t origin) {
    const std::vector<AVStream*> streams = input.AudioStreams();
    if (streams.empty()) {
        return;
    }
    if (!wanted) {
        leftOut_ = "left out (--no-audio)";
        return;
    }
    if (!output.TakesSound()) {
        leftOut_ = std::string("left out: ") + output.Format().long_name +
                   " holds no sound (write .avi, .mkv or .mov to keep it)";
        return;
    }
    const AVOutputFormat& container = output.Format();
    for (const AVStream* stream : streams) {
        const AVCodecID source = stream->codecpar->codec_id;
        const AVCodecID pcm = PcmFor(*stream->codecpar);
        const AVCodecID target = Takes(container, source) ? source
                                 : Takes(container, pcm)  ? pcm
                                                          : container.audio_codec;
        const int64_t shift =
            origin == AV_NOPTS_VALUE ? 0 : av_rescale_q(origin, video.time_base, stream->time_base);
        tracks_.push_back(std::make_unique<SoundTrack>(*stream, output, target, shift));
    }
}

Sound::~Sound() = default;

bool Sound::Take(AVPacket* packet) {
    for (const auto& track : tracks_) {
        if (track->Index() == packet->stream_index) {
            track->Take(packet);
            return true;
        }
    }
    return false;
}

void Sound::Finish() {
    for (const auto& track : tracks_) {
        track->Finish();
    }
}

std::string Sound::Summary() const {
    if (!leftOut_.empty()) {
        return "sound " + leftOut_;
    }
    std::string summary;
    for (const auto& track : tracks_) {
        summary += (summary.empty() ? "sound " : ", ") + track->Description();
    }
    return summary;
}
