// qlnu encode: any video FFmpeg reads to QLNU video in an AVI, Matroska or QuickTime file,
// every frame through the driver's compression messages, with the source's sound, field
// order, pixel shape and timing.
#include <cstdio>
#include <cstring>
#include <deque>

extern "C" {
#include <libavutil/parseutils.h>
}

#include "command_line.h"
#include "commands.h"
#include "common/fourcc.h"
#include "driver_pictures.h"
#include "fields.h"
#include "job.h"
#include "source_video.h"
#include "tool_error.h"

namespace {

constexpr int kBlock = 16;

int RoundUpToBlock(int size) {
    return (size + kBlock - 1) / kBlock * kBlock;
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

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

class Encoder {
public:
    explicit Encoder(const EncodeJob& job)
        : job_(job),
          run_(job.input, job.rate, job.output, job.container,
               {"-f matroska", ".avi, .mkv or .mov"}),
          stream_(run_.Input().VideoStream()),
          video_(run_.Input(), stream_) {
        RequireQlnuContainer(run_.Output());
    }

    void Run() {
        const AVFrame* first = FirstPicture();
        Begin(*first);
        Compress(*first);
        CompressDecoded();
        run_.Pump(stream_, [this](AVPacket& packet) {
            SendPicture(&packet);
            CompressDecoded();
        });
        SendPicture(nullptr);
        CompressDecoded();
        Finish();
    }

    int Status() const { return damaged_ > 0 ? kExitDamaged : 0; }

private:
    // Reads until the decoder gives the first picture, holding the other streams' packets.
    const AVFrame* FirstPicture() {
        bool ended = false;
        for (;;) {
            if (const AVFrame* frame = Receive()) {
                return frame;
            }
            if (ended) {
                throw FileError(run_.Input().Name(), "holds no pictures");
            }
            PacketPointer packet(av_packet_alloc());
            if (!run_.Input().Read(packet.get())) {
                ended = true;
                SendPicture(nullptr);
            } else if (packet->stream_index == stream_.index) {
                SendPicture(packet.get());
            } else {
                held_.push_back(std::move(packet));
            }
        }
    }

    void Begin(const AVFrame& first) {
        source_ = ShapeOf(run_.Input(), stream_, first);
        if (!job_.pad && (source_.width % kBlock != 0 || source_.height % kBlock != 0)) {
            throw FileError(
                run_.Input().Name(),
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
        // 24-bit RGB for progressive RGB sources, the codec's own UYVY for the others: frames
        // compressed from packed YUV hold their bottom field first, as a board shows them.
        const bool fromRgb = video_.IsRgb() && !interlaced_;
        format_ = job_.format ? job_.format : fromRgb ? &kRgb24 : &kUyvy;
        BeginCompression();
        rate_ = run_.Input().FrameRate(stream_);
        run_.PlaceFrames(stream_, rate_);
        qlnu_ = &AddQlnuStream(run_.Output(), width_, height_,
                               interlaced_ ? kQlnuFieldOrder : AV_FIELD_PROGRESSIVE,
                               source_.pixelAspect, rate_, run_.Frames().OutputTimeBase());
        picture_.emplace(*format_, width_, height_);
        run_.Start(stream_, job_.sound, "encoded", ExpectedFrames(), held_);
        held_.clear();
    }

    void BeginCompression() {
        if (shift_) {
            run_.Driver().SwapFieldOrder();
        }
        inputHeader_ = UncompressedHeader(*format_, width_, height_);
        if (const LRESULT answer = run_.Driver().BeginCompression(inputHeader_, &outputHeader_);
            answer != ICERR_OK) {
            throw ToolError("the driver refuses to compress " + SizeText(width_, height_) +
                            " pictures in " + LayoutName(*format_) + " (answer " +
                            std::to_string(answer) + ")");
        }
        frameBytes_ = run_.Driver().CompressedBytes(inputHeader_, outputHeader_);
    }

    int64_t ExpectedFrames() const {
        if (stream_.nb_frames > 0) {
            return stream_.nb_frames;
        }
        const int64_t duration = run_.Input().Context().duration;
        return duration > 0 ? av_rescale_q(duration, AV_TIME_BASE_Q, av_inv_q(rate_)) : 0;
    }

    // Hands the decoder a packet (nullptr at the end) and notes damage the decoder finds.
    void SendPicture(const AVPacket* packet) {
        if (packet != nullptr) {
            sentTimes_.push_back(packet->pts);
            if (std::ssize(sentTimes_) > video_.Lag() + 1) {
                sentTimes_.pop_front();
            }
        }
        if (!video_.Send(packet)) {
            NoteDamage();
        }
    }

    // The next picture the decoder gives, or nullptr. The decoder reports on the packets in
    // the order they were sent, a picture or damage each, its lag after them: the picture is
    // that of the earliest packet sent that it has not reported on.
    const AVFrame* Receive() {
        const AVFrame* frame = video_.Receive();
        if (frame != nullptr && !sentTimes_.empty()) {
            sentTimes_.pop_front();
        }
        return frame;
    }

    // Damage is in the earliest packet sent that the decoder has not reported on.
    void NoteDamage() {
        ++damaged_;
        int64_t time = AV_NOPTS_VALUE;
        if (!sentTimes_.empty()) {
            time = sentTimes_.front();
            sentTimes_.pop_front();
        }
        const double seconds = time == AV_NOPTS_VALUE ? 0 : time * av_q2d(stream_.time_base);
        char when[32];
        std::snprintf(when, sizeof when, "%.3f", seconds);
        run_.Note(std::string("the video is damaged near ") + when +
                  " s; its pictures are left out");
    }

    void CompressDecoded() {
        while (const AVFrame* frame = Receive()) {
            Compress(*frame);
        }
        if (video_.TakeDamage()) {
            NoteDamage();
        }
    }

    void Compress(const AVFrame& frame) {
        if (frame.width != source_.width || frame.height != source_.height) {
            throw FileError(run_.Input().Name(),
                            "the picture size changes at frame " + std::to_string(frames_ + 1));
        }
        const Timeline::Placement placement = run_.Frames().Place(frame.best_effort_timestamp);
        // The driver writes into the packet's own buffer, which the writer keeps without a copy.
        PacketPointer packet(av_packet_alloc());
        if (av_new_packet(packet.get(), static_cast<int>(frameBytes_)) < 0) {
            throw std::bad_alloc();
        }
        const DriverHost::FrameReport report = run_.Driver().Compress(
            inputHeader_, picture_->From(frame, interlaced_).data(), outputHeader_, packet->data);
        av_shrink_packet(packet.get(), static_cast<int>(report.bytes));
        packet->stream_index = qlnu_->index;
        packet->pts = packet->dts =
            av_rescale_q(placement.time, run_.Frames().OutputTimeBase(), qlnu_->time_base);
        packet->duration = av_rescale_q(1, av_inv_q(rate_), qlnu_->time_base);
        packet->flags = (report.flags & AVIIF_KEYFRAME) != 0 ? AV_PKT_FLAG_KEY : 0;
        run_.Output().Write(packet.get());
        ++frames_;
        run_.FrameDone();
    }

    void Finish() {
        run_.Driver().EndCompression();
        const bool padded = width_ != source_.width || height_ != source_.height;
        run_.Finish(Summary(), [this, padded](int descriptor) {
            if (padded) {
                RecordAviValidArea(descriptor, source_.width, source_.height);
            }
        });
    }

    std::string Summary() const {
        std::string summary = run_.Output().Name() + ", QLNU " + SizeText(width_, height_) +
                              " at " + RateText(rate_) + " fps";
        if (width_ != source_.width || height_ != source_.height) {
            summary += " (padded from " + SizeText(source_.width, source_.height) + ")";
        }
        summary += ", " + FieldOrderText(interlaced_ ? kQlnuFieldOrder : AV_FIELD_PROGRESSIVE);
        if (shift_ && !job_.swapFields) {
            summary += " (moved up a line from " + FieldOrderText(sourceOrder_) + ")";
        } else if (job_.swapFields) {
            summary += std::string(" (") + (shift_ ? "moved up a line" : "not moved") + " from " +
                       FieldOrderText(sourceOrder_) + " by --swap-fields)";
        }
        if (const std::string shape = ShapeText(source_.pixelAspect, width_, height_);
            !shape.empty()) {
            summary += ", " + shape;
        }
        summary += ", compressed from " + LayoutName(*format_);
        if (damaged_ > 0) {
            summary += "; the video was damaged " + std::to_string(damaged_) + " time" +
                       (damaged_ == 1 ? "" : "s");
        }
        return summary;
    }

    const EncodeJob& job_;
    Job run_;
    AVStream& stream_;
    SourceVideo video_;
    std::vector<PacketPointer> held_;  // sound read before the first picture

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
    AVStream* qlnu_ = nullptr;
    std::optional<DriverPicture> picture_;
    std::size_t frameBytes_ = 0;  // the most a compressed frame takes
    int64_t frames_ = 0;
    int64_t damaged_ = 0;
    // The times of the packets given to the decoder that it has not reported on yet, as many
    // as its lag at most (where it reports on a packet without a picture, the oldest go).
    std::deque<int64_t> sentTimes_;
};

}  // namespace

int EncodeCommand(int argc, char** argv) {
    const EncodeJob job = ReadJob(argc, argv);
    Encoder encoder(job);
    encoder.Run();
    return encoder.Status();
}
