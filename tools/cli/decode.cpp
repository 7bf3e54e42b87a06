// qlnu decode: QLNU video to any video FFmpeg writes, every frame through the driver's
// decompression messages, with the file's sound, field order, pixel shape and timing.
#include <algorithm>
#include <cstdio>
#include <functional>

#include "command_line.h"
#include "commands.h"
#include "common/fourcc.h"
#include "driver_pictures.h"
#include "fields.h"
#include "job.h"
#include "picture_encoder.h"
#include "qlnu_frames.h"
#include "tool_error.h"

namespace {

enum class OnDamage { kSkip, kRepeat, kStop };

struct DecodeJob {
    std::string input;
    std::string output;
    std::optional<std::string> container;   // -f
    const PictureFormat* format = nullptr;  // chosen from the output when none is given
    bool swapFields = false;
    EncoderChoices choices;
    std::optional<std::string> crop;  // WIDTHxHEIGHT or "none"
    bool sound = true;
    OnDamage onDamage = OnDamage::kSkip;
};

OnDamage OnDamageNamed(const std::string& name) {
    if (name == "skip") {
        return OnDamage::kSkip;
    }
    if (name == "repeat") {
        return OnDamage::kRepeat;
    }
    if (name == "stop") {
        return OnDamage::kStop;
    }
    throw ToolError("--on-damage " + name + " is not one of skip, repeat, stop", kExitUsage);
}

DecodeJob ReadJob(int argc, char** argv) {
    const CommandLine line(
        argc, argv, 2,
        {"-o", "-f", "--output-format", "--codec", "--pix-fmt", "--crop", "--on-damage"},
        {"--swap-fields", "--no-audio"});
    DecodeJob job;
    job.input = line.OnlyOperand("input file");
    job.output = line.RequiredValue("-o");
    job.container = line.Value("-f");
    if (const auto name = line.Value("--output-format")) {
        job.format = &FormatNamed(*name, kOutputFormats, "--output-format");
    }
    job.swapFields = line.Has("--swap-fields");
    job.choices = {line.Value("--codec"), line.Value("--pix-fmt")};
    job.crop = line.Value("--crop");
    job.sound = !line.Has("--no-audio");
    if (const auto onDamage = line.Value("--on-damage")) {
        job.onDamage = OnDamageNamed(*onDamage);
    }
    return job;
}

// What the file records of its pictures: field order and the area that holds the picture.
struct RecordedShape {
    AVFieldOrder fieldOrder;
    int width;
    int height;
};

RecordedShape RecordedShapeOf(const MediaInput& input, const AVStream& stream) {
    const int width = stream.codecpar->width;
    const int height = stream.codecpar->height;
    if (const auto properties = input.AviProperties()) {
        const bool areaKnown = properties->validWidth > 0 && properties->validHeight > 0 &&
                               properties->validWidth <= width && properties->validHeight <= height;
        return {properties->fieldOrder, areaKnown ? properties->validWidth : width,
                areaKnown ? properties->validHeight : height};
    }
    const AVFieldOrder order = stream.codecpar->field_order;
    // Files that do not say are taken to hold QLNU's own order: its frames are interlaced.
    return {order == AV_FIELD_UNKNOWN ? kQlnuFieldOrder : order, width, height};
}

// The picture area that --crop asks for ("none": the whole frame), else the recorded one.
std::pair<int, int> CropOf(const DecodeJob& job, const RecordedShape& recorded, int width,
                           int height) {
    if (!job.crop) {
        return {recorded.width, recorded.height};
    }
    if (*job.crop == "none") {
        return {width, height};
    }
    int cropWidth = 0;
    int cropHeight = 0;
    char end = 0;
    if (std::sscanf(job.crop->c_str(), "%dx%d%c", &cropWidth, &cropHeight, &end) != 2 ||
        cropWidth <= 0 || cropHeight <= 0 || cropWidth % 2 != 0 || cropHeight % 2 != 0) {
        throw ToolError("--crop " + *job.crop + " is not WIDTHxHEIGHT of even numbers, or none",
                        kExitUsage);
    }
    if (cropWidth > width || cropHeight > height) {
        throw ToolError("--crop " + *job.crop + " is larger than the frames, " +
                            std::to_string(width) + " x " + std::to_string(height),
                        kExitUsage);
    }
    return {cropWidth, cropHeight};
}

class Decoder {
public:
    explicit Decoder(const DecodeJob& job)
        : job_(job),
          run_(job.input, std::nullopt, job.output, job.container,
               {"-f nut, -f matroska or -f yuv4mpegpipe", ".avi, .mkv, .y4m or frame%04d.png"}),
          stream_(run_.Input().VideoStreamTagged(kFourCCQlnu)) {}

    void Run() {
        Begin();
        run_.Pump(stream_, [this](AVPacket& packet) { Decompress(packet); });
        Finish();
    }

    int Status() const { return damaged_ > 0 || truncated_ ? kExitDamaged : 0; }

private:
    void Begin() {
        width_ = stream_.codecpar->width;
        height_ = stream_.codecpar->height;
        if (width_ <= 0 || height_ <= 0 || width_ % 16 != 0 || height_ % 16 != 0) {
            throw FileError(run_.Input().Name(), "its QLNU frames are " + std::to_string(width_) +
                                                     " x " + std::to_string(height_) +
                                                     ", which the driver does not decode: QLNU "
                                                     "frames have sides that are multiples of 16");
        }
        const RecordedShape recorded = RecordedShapeOf(run_.Input(), stream_);
        std::tie(cropWidth_, cropHeight_) = CropOf(job_, recorded, width_, height_);
        fieldOrder_ = job_.swapFields ? Swapped(recorded.fieldOrder) : recorded.fieldOrder;
        pixelAspect_ = stream_.sample_aspect_ratio.num > 0 ? stream_.sample_aspect_ratio
                                                           : stream_.codecpar->sample_aspect_ratio;
        rate_ = run_.Input().FrameRate(stream_);
        run_.PlaceFrames(stream_, rate_);
        // UYVY (the samples of the frames themselves) for YUV outputs, 24-bit RGB for RGB ones.
        const AVPixelFormat nearest =
            job_.format ? FfmpegFormatOf(*job_.format) : AV_PIX_FMT_UYVY422;
        encoder_.emplace(run_.Output(),
                         PictureStream{cropWidth_, cropHeight_, run_.Frames().OutputTimeBase(),
                                       rate_, fieldOrder_, pixelAspect_},
                         nearest, job_.choices);
        format_ = job_.format                                 ? job_.format
                  : IsRgbPixelFormat(encoder_->PixelFormat()) ? &kRgb24
                                                              : &kUyvy;
        BeginDecompression();
        picture_.emplace(*format_, width_, cropWidth_, cropHeight_);
        // Whole frames of packed YUV that the encoder takes as they are: the driver writes
        // them into the encoder's picture, and nothing is converted.
        const bool packedYuv = !IsRgb(*format_) && format_->compression != kFourCCY16;
        inPlace_ = packedYuv && cropWidth_ == width_ && cropHeight_ == height_ &&
                   encoder_->TakePicturesAsTheyAre(FfmpegFormatOf(*format_),
                                                   static_cast<int>(RowBytes(*format_, width_)));
        run_.Start(stream_, job_.sound, "decoded", stream_.nb_frames);
    }

    void BeginDecompression() {
        if (job_.swapFields) {
            run_.Driver().SwapFieldOrder();
        }
        inputHeader_ = QlnuHeader(width_, height_);
        outputHeader_ = UncompressedHeader(*format_, width_, height_);
        if (const LRESULT answer = run_.Driver().BeginDecompression(inputHeader_, &outputHeader_);
            answer != ICERR_OK) {
            throw FileError(run_.Input().Name(), "the driver refuses to decompress its frames to " +
                                                     LayoutName(*format_) + " (answer " +
                                                     std::to_string(answer) + ")");
        }
    }

    // The number a host gives the frame at `time`, counting from 1.
    int64_t FrameNumber(int64_t time) const {
        if (time == AV_NOPTS_VALUE) {
            return frames_ + 1;
        }
        const int64_t start = stream_.start_time == AV_NOPTS_VALUE ? 0 : stream_.start_time;
        return av_rescale_q(time - start, stream_.time_base, av_inv_q(rate_)) + 1;
    }

    void Decompress(const AVPacket& packet) {
        lastNumber_ = std::max(lastNumber_, FrameNumber(packet.pts));
        // An empty chunk is how capture programs mark a dropped frame.
        if (packet.size == 0) {
            return;
        }
        FrameCheck check =
            CheckFrame(packet.data, static_cast<std::size_t>(packet.size), width_, height_);
        if ((packet.flags & AV_PKT_FLAG_CORRUPT) != 0) {
            endsInside_ = true;
            check = {FrameShape::kDamaged, "the file ends inside it"};
        }
        if (check.shape == FrameShape::kDamaged) {
            Damaged(packet, check.damage);
            return;
        }
        oneField_ += check.shape == FrameShape::kOneField;
        const auto bytes = static_cast<std::size_t>(packet.size);
        if (inPlace_) {
            BYTE* picture = encoder_->NextPicture();
            run_.Driver().Decompress(inputHeader_, packet.data, bytes, outputHeader_, picture);
            Write(packet.pts, [this](int64_t time) { encoder_->WriteNext(time); });
            return;
        }
        decoded_.resize(outputHeader_.biSizeImage);
        run_.Driver().Decompress(inputHeader_, packet.data, bytes, outputHeader_, decoded_.data());
        const AVFrame& picture = picture_->From(decoded_);
        Write(packet.pts, [this, &picture](int64_t time) { encoder_->Write(picture, time); });
    }

    void Damaged(const AVPacket& packet, const std::string& damage) {
        ++damaged_;
        const bool repeat = job_.onDamage == OnDamage::kRepeat && frames_ > 0;
        const char* outcome = job_.onDamage == OnDamage::kStop ? "the job stops here"
                              : repeat                         ? "the frame before is shown again"
                                                               : "left out";
        run_.Note("frame " + std::to_string(FrameNumber(packet.pts)) + " is damaged (" + damage +
                  "); " + outcome);
        if (job_.onDamage == OnDamage::kStop) {
            run_.Stop();
        } else if (repeat) {
            Write(packet.pts, [this](int64_t time) { encoder_->Repeat(time); });
        } else {
            run_.Frames().Skip(packet.pts);
        }
    }

    // Places a frame of the input at `time` and has `write` write its picture at the output
    // time it is given.
    void Write(int64_t time, const std::function<void(int64_t)>& write) {
        const Timeline::Placement placement = run_.Frames().Place(time);
        // A gap where the output keeps no time is filled with the frame before.
        for (int64_t copy = 1; copy < placement.copies; ++copy) {
            encoder_->Repeat(placement.time + copy - 1);
        }
        write(placement.time + placement.copies - 1);
        ++frames_;
        run_.FrameDone();
    }

    void Finish() {
        run_.Driver().EndDecompression();
        if (frames_ == 0) {
            throw FileError(run_.Input().Name(), damaged_ > 0 ? "holds no frame that is not damaged"
                                                              : "holds no frames");
        }
        // A file cut off between frames is only seen against the count its header states.
        const int64_t stated = stream_.nb_frames;
        truncated_ = (endsInside_ || stated > lastNumber_) && !run_.Stopped();
        if (truncated_) {
            run_.Note(TruncationText(endsInside_, lastNumber_, stated));
        }
        encoder_->Finish();
        run_.Finish(Summary());
    }

    std::string Summary() const {
        std::string summary = run_.Output().Name() + ", " +
                              av_get_pix_fmt_name(encoder_->PixelFormat()) + ", " +
                              FieldOrderText(fieldOrder_);
        if (job_.swapFields) {
            summary += " (moved down a line)";
        }
        if (const std::string shape = ShapeText(pixelAspect_, cropWidth_, cropHeight_);
            !shape.empty()) {
            summary += ", " + shape;
        }
        if (cropWidth_ != width_ || cropHeight_ != height_) {
            summary +=
                ", cropped to " + std::to_string(cropWidth_) + " x " + std::to_string(cropHeight_);
        }
        summary += ", decompressed to " + LayoutName(*format_);
        if (oneField_ > 0) {
            summary += "; " + std::to_string(oneField_) + " one-field frame" +
                       (oneField_ == 1 ? "" : "s") + " shown line-doubled";
        }
        if (damaged_ > 0) {
            summary += "; " + std::to_string(damaged_) + " damaged frame" +
                       (damaged_ == 1 ? "" : "s") + DamageOutcome();
        }
        if (truncated_) {
            summary += "; the file is truncated";
        }
        return summary;
    }

    const char* DamageOutcome() const {
        switch (job_.onDamage) {
            case OnDamage::kSkip:
                return " left out";
            case OnDamage::kRepeat:
                return " shown as the frame before";
            case OnDamage::kStop:
                break;
        }
        return ", where the job stopped";
    }

    const DecodeJob& job_;
    Job run_;
    AVStream& stream_;

    int width_ = 0;
    int height_ = 0;
    int cropWidth_ = 0;
    int cropHeight_ = 0;
    AVFieldOrder fieldOrder_ = AV_FIELD_UNKNOWN;
    AVRational pixelAspect_{};
    AVRational rate_{};
    const PictureFormat* format_ = nullptr;
    BITMAPINFOHEADER inputHeader_{};
    BITMAPINFOHEADER outputHeader_{};
    std::optional<PictureEncoder> encoder_;
    std::optional<DecodedPicture> picture_;
    bool inPlace_ = false;  // the driver writes into the encoder's pictures
    Bytes decoded_;
    int64_t frames_ = 0;
    int64_t oneField_ = 0;
    int64_t damaged_ = 0;
    int64_t lastNumber_ = 0;   // the number of the last frame read, dropped ones counted
    bool endsInside_ = false;  // the last frame read is cut off
    bool truncated_ = false;
};

}  // namespace

int DecodeCommand(int argc, char** argv) {
    const DecodeJob job = ReadJob(argc, argv);
    Decoder decoder(job);
    decoder.Run();
    return decoder.Status();
}
