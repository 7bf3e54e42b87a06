// qlnu encode: any video FFmpeg reads to QLNU video in an AVI, Matroska or QuickTime file,
// every frame through the driver's compression messages, with the source's sound, field
// order, pixel shape and timing.
#include <cstring>
#include <deque>

extern "C" {
#include <libavutil/parseutils.h>
}

#include "command_line.h"
#include "commands.h"
#include "common/fourcc.h"
#include "driver_host.h"
#include "fields.h"
#include "media_input.h"
#include "media_output.h"
#include "progress.h"
#include "scaler.h"
#include "sound.h"
#include "source_video.h"
#include "timeline.h"
#include "tool_error.h"

namespace {

constexpr int kBlock = 16;

int RoundUpToBlock(int size) {
    return (size + kBlock - 1) / kBlock * kBlock;
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Decoded frames in the layout the driver is to take, padded with black to its picture size.
class DriverPicture {
public:
    DriverPicture(const PictureFormat& format, int width, int height)
        : format_(format), width_(width), height_(height) {
        if (IsRgb(format)) {
            work_.assign(RowBytes(format, width) * height, 0);
        } else {
            // UYVY black: chroma 128, luma 16 (studio range).
            work_.resize(static_cast<std::size_t>(2 * width * height));
            for (std::size_t i = 0; i < work_.size(); i += 2) {
                work_[i] = 0x80;
                work_[i + 1] = 0x10;
            }
        }
    }

    const Bytes& From(const AVFrame& frame, bool interlaced) {
        uint8_t* planes[4] = {work_.data()};
        if (IsRgb(format_)) {
            const int lineSizes[4] = {static_cast<int>(RowBytes(format_, width_))};
            scaler_.Convert(frame, format_.bitCount == 24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGR0,
                            planes, lineSizes, interlaced);
            // RGB pictures go to the driver bottom-up.
            picture_ = FlipRows(work_, RowBytes(format_, width_));
            return picture_;
        }
        const int lineSizes[4] = {2 * width_};
        scaler_.Convert(frame, AV_PIX_FMT_UYVY422, planes, lineSizes, interlaced);
        if (format_.compression == kUyvy.compression) {
            return work_;
        }
        picture_ = UyvyToLayout(work_, width_, height_, format_.compression, 0xFF);
        return picture_;
    }

private:
    const PictureFormat& format_;
    int width_;
    int height_;
    Scaler scaler_;
    Bytes work_;
    Bytes picture_;
};

struct EncodeJob {
    std::string input;
    std::string output;
    std::optional<std::string> container;   // -f
    const PictureFormat* format = nullptr;  // chosen from the source when none is given
    bool pad = false;
    std::optional<AVFieldOrder> fieldOrder;  // given instead of the source's
    bool swapFields = false;
    bool sound = true;
    std::optional<AVRational> rate;  // of a picture sequence
};

EncodeJob ReadJob(int argc, char** argv) {
    const CommandLine line(argc, argv, 2, {"-o", "-f", "--input-format", "--field-order", "--rate"},
                           {"--pad", "--swap-fields", "--no-audio"});
    EncodeJob job;
    job.input = line.OnlyOperand("input file");
    job.output = line.RequiredValue("-o");
    job.container = line.Value("-f");
    if (const auto name = line.Value("--input-format")) {
        job.format = &FormatNamed(*name, kInputFormats, "--input-format");
    }
    if (const auto order = line.Value("--field-order")) {
        job.fieldOrder = FieldOrderNamed(*order);
    }
    if (const auto rate = line.Value("--rate")) {
        AVRational parsed{};
        if (av_parse_video_rate(&parsed, rate->c_str()) < 0) {
            throw ToolError("--rate " + *rate + " is not a frame rate (25, 29.97, 30000/1001)",
                            kExitUsage);
        }
        job.rate = parsed;
    }
    job.pad = line.Has("--pad");
    job.swapFields = line.Has("--swap-fields");
    job.sound = !line.Has("--no-audio");
    return job;
}

void RequireQlnuContainer(const MediaOutput& output) {
    for (const char* name : {"avi", "matroska", "mov"}) {
        if (std::strcmp(output.Format().name, name) == 0) {
            return;
        }
    }
    throw FileError(output.Name(), std::string("QLNU video goes into AVI (.avi), Matroska (.mkv) "
                                               "or QuickTime (.mov) files, not ") +
                                       output.Format().long_name);
}

// What the source looks like, from its first picture.
struct SourceShape {
    int width;
    int height;
    AVFieldOrder fieldOrder;
    AVRational pixelAspect;
};

SourceShape ShapeOf(const MediaInput& input, const AVStream& stream, const AVFrame& first) {
    AVRational aspect = stream.sample_aspect_ratio;
    if (aspect.num <= 0) {
        aspect = first.sample_aspect_ratio;
    }
    return {first.width, first.height,
            SourceFieldOrder(first, *stream.codecpar, input.AviProperties()), aspect};
}

AVStream& AddQlnuStream(MediaOutput& output, int width, int height, AVFieldOrder order,
                        AVRational pixelAspect, AVRational rate, AVRational timeBase) {
    AVStream& stream = output.AddStream();
    AVCodecParameters& format = *stream.codecpar;
    format.codec_type = AVMEDIA_TYPE_VIDEO;
    format.codec_tag = kFourCCQlnu;
    format.width = width;
    format.height = height;
    // The bit count that the driver proposes for its compressed format.
    format.bits_per_coded_sample = 24;
    format.field_order = order;
    format.sample_aspect_ratio = pixelAspect;
    // The AVI writer describes the fields and the picture shape only for streams of a known
    // rate of bytes.
    format.bit_rate = (2 * int64_t{width} * height + 20) * 8 * rate.num / rate.den;
    stream.sample_aspect_ratio = pixelAspect;
    stream.time_base = timeBase;
    stream.avg_frame_rate = rate;
    return stream;
}

// The frame rate of the output: the source's, 25 for pictures without one.
AVRational FrameRateOf(MediaInput& input, AVStream& stream) {
    const AVRational rate = av_guess_frame_rate(&input.Context(), &stream, nullptr);
    return rate.num > 0 && rate.den > 0 ? rate : AVRational{25, 1};
}

class Encoder {
public:
    explicit Encoder(const EncodeJob& job)
        : job_(job),
          input_(job.input, job.rate),
          stream_(input_.VideoStream()),
          video_(input_, stream_),
          output_(job.output, job.container, input_.File().Identity()) {
        RequireQlnuContainer(output_);
    }

    void Run() {
        const AVFrame* first = FirstPicture();
        Begin(*first);
        Compress(*first);
        Pump();
        Finish();
    }

private:
    // Reads until the decoder gives the first picture, holding the other streams' packets.
    const AVFrame* FirstPicture() {
        for (;;) {
            if (const AVFrame* frame = video_.Receive()) {
                return frame;
            }
            if (ended_) {
                throw FileError(input_.Name(), "holds no pictures");
            }
            PacketPointer packet(av_packet_alloc());
            if (!input_.Read(packet.get())) {
                ended_ = true;
                video_.Send(nullptr);
            } else if (packet->stream_index == stream_.index) {
                SendPicture(packet.get());
            } else {
                held_.push_back(std::move(packet));
            }
        }
    }

    void Begin(const AVFrame& first) {
        source_ = ShapeOf(input_, stream_, first);
        if (!job_.pad && (source_.width % kBlock != 0 || source_.height % kBlock != 0)) {
            throw FileError(
                input_.Name(),
                "the picture is " + SizeText(source_.width, source_.height) +
                    "; QLNU needs a width and height that are multiples of 16 (--pad "
                    "adds black to make it " +
                    SizeText(RoundUpToBlock(source_.width), RoundUpToBlock(source_.height)) + ")");
        }
        width_ = RoundUpToBlock(source_.width);
        height_ = RoundUpToBlock(source_.height);
        sourceOrder_ = job_.fieldOrder.value_or(source_.fieldOrder);
        interlaced_ = sourceOrder_ != AV_FIELD_PROGRESSIVE;
        // The driver's swap turns a top-field-first picture into QLNU's bottom-first order.
        shift_ = (sourceOrder_ == AV_FIELD_TT) != job_.swapFields;
        // 24-bit RGB for RGB sources, the codec's own UYVY for YUV ones.
        format_ = job_.format ? job_.format : video_.IsRgb() ? &kRgb24 : &kUyvy;

        if (shift_) {
            driver_.SwapFieldOrder();
        }
        inputHeader_ = UncompressedHeader(*format_, width_, height_);
        if (const LRESULT answer = driver_.BeginCompression(inputHeader_, &outputHeader_);
            answer != ICERR_OK) {
            throw ToolError("the driver refuses to compress " + SizeText(width_, height_) +
                            " pictures in " + format_->name + " (answer " + std::to_string(answer) +
                            ")");
        }
        rate_ = FrameRateOf(input_, stream_);
        timeline_.emplace(output_.Timing(), stream_.time_base, rate_, stream_.start_time);
        qlnu_ = &AddQlnuStream(output_, width_, height_,
                               interlaced_ ? kQlnuFieldOrder : AV_FIELD_PROGRESSIVE,
                               source_.pixelAspect, rate_, timeline_->OutputTimeBase());
        sound_.emplace(input_, output_, job_.sound, stream_, stream_.start_time);
        picture_.emplace(*format_, width_, height_);
        progress_.emplace("encoded", ExpectedFrames());
        output_.Start();
        for (const PacketPointer& packet : held_) {
            sound_->Take(packet.get());
        }
        held_.clear();
    }

    int64_t ExpectedFrames() const {
        if (stream_.nb_frames > 0) {
            return stream_.nb_frames;
        }
        const int64_t duration = input_.Context().duration;
        return duration > 0 ? av_rescale_q(duration, AV_TIME_BASE_Q, av_inv_q(rate_)) : 0;
    }

    void SendPicture(const AVPacket* packet) {
        if (!video_.Send(packet)) {
            NoteDamage(packet->pts);
        }
    }

    void NoteDamage(int64_t time) {
        ++damaged_;
        if (progress_) {
            const double seconds = time == AV_NOPTS_VALUE ? 0 : time * av_q2d(stream_.time_base);
            char when[32];
            std::snprintf(when, sizeof when, "%.3f", seconds);
            progress_->Note(input_.Name() + ": the video is damaged at " + when +
                            " s; its pictures are left out");
        }
    }

    void Compress(const AVFrame& frame) {
        if (frame.width != source_.width || frame.height != source_.height) {
            throw FileError(input_.Name(),
                            "the picture size changes at frame " + std::to_string(frames_ + 1));
        }
        const Timeline::Placement placement = timeline_->Place(frame.best_effort_timestamp);
        const DriverHost::FrameReport report = driver_.Compress(
            inputHeader_, picture_->From(frame, interlaced_), outputHeader_, &frame_);
        PacketPointer packet(av_packet_alloc());
        packet->data = frame_.data();
        packet->size = static_cast<int>(report.bytes);
        packet->stream_index = qlnu_->index;
        packet->pts = packet->dts =
            av_rescale_q(placement.time, timeline_->OutputTimeBase(), qlnu_->time_base);
        packet->duration = av_rescale_q(1, av_inv_q(rate_), qlnu_->time_base);
        packet->flags = (report.flags & AVIIF_KEYFRAME) != 0 ? AV_PKT_FLAG_KEY : 0;
        output_.Write(packet.get());
        ++frames_;
        progress_->FrameDone();
    }

    void Pump() {
        for (const AVFrame* frame; (frame = video_.Receive()) != nullptr;) {
            Compress(*frame);
        }
        PacketPointer packet(av_packet_alloc());
        while (!ended_ && input_.Read(packet.get())) {
            if (!sound_->Take(packet.get()) && packet->stream_index == stream_.index) {
                SendPicture(packet.get());
                for (const AVFrame* frame; (frame = video_.Receive()) != nullptr;) {
                    Compress(*frame);
                }
            }
            av_packet_unref(packet.get());
        }
        video_.Send(nullptr);
        for (const AVFrame* frame; (frame = video_.Receive()) != nullptr;) {
            Compress(*frame);
        }
        if (video_.TakeDamage()) {
            NoteDamage(AV_NOPTS_VALUE);
        }
    }

    void Finish() {
        driver_.EndCompression();
        sound_->Finish();
        output_.Finish([this](int descriptor) {
            if (width_ != source_.width || height_ != source_.height) {
                RecordAviValidArea(descriptor, source_.width, source_.height);
            }
        });
        progress_->Finish(Summary());
    }

    std::string Summary() const {
        std::string summary = output_.Name() + ", QLNU " + SizeText(width_, height_) + " at " +
                              RateText(rate_) + " fps";
        if (width_ != source_.width || height_ != source_.height) {
            summary += " (padded from " + SizeText(source_.width, source_.height) + ")";
        }
        summary += ", " + FieldOrderText(interlaced_ ? kQlnuFieldOrder : AV_FIELD_PROGRESSIVE);
        if (shift_) {
            summary += std::string(" (moved up a line from ") + FieldOrderText(sourceOrder_) + ")";
        }
        if (const std::string shape = ShapeText(source_.pixelAspect, width_, height_);
            !shape.empty()) {
            summary += ", " + shape;
        }
        summary += ", compressed from " + LayoutName(*format_);
        if (const std::string sound = sound_->Summary(); !sound.empty()) {
            summary += "; " + sound;
        }
        if (const int64_t missing = timeline_->MissingFrames(); missing > 0) {
            summary += "; " + std::to_string(missing) + " frame period" +
                       (missing == 1 ? "" : "s") + " without a picture in the source" +
                       (output_.Timing() == FrameTiming::kSlots ? " kept as dropped frames"
                                                                : " kept as gaps");
        }
        if (damaged_ > 0) {
            summary += "; damaged video left out " + std::to_string(damaged_) + " time" +
                       (damaged_ == 1 ? "" : "s");
        }
        return summary;
    }

public:
    int Status() const { return damaged_ > 0 ? kExitDamaged : 0; }

private:
    const EncodeJob& job_;
    MediaInput input_;
    AVStream& stream_;
    SourceVideo video_;
    DriverHost driver_;
    // Declared after the driver: the output is finished or removed before the driver goes.
    MediaOutput output_;
    std::deque<PacketPointer> held_;
    bool ended_ = false;

    SourceShape source_{};
    int width_ = 0;
    int height_ = 0;
    AVFieldOrder sourceOrder_ = AV_FIELD_UNKNOWN;
    bool interlaced_ = false;
    bool shift_ = false;
    const PictureFormat* format_ = nullptr;
    BITMAPINFOHEADER inputHeader_{};
    BITMAPINFOHEADER outputHeader_{};
    AVRational rate_{};
    std::optional<Timeline> timeline_;
    AVStream* qlnu_ = nullptr;
    std::optional<Sound> sound_;
    std::optional<DriverPicture> picture_;
    std::optional<Progress> progress_;
    Bytes frame_;
    int64_t frames_ = 0;
    int64_t damaged_ = 0;
};

}  // namespace

int EncodeCommand(int argc, char** argv) {
    const EncodeJob job = ReadJob(argc, argv);
    Encoder encoder(job);
    encoder.Run();
    return encoder.Status();
}
