// qlnu encode: any video FFmpeg reads to a QLNU AVI, every frame through the driver's
// compression messages.

#include "command_line.h"
#include "commands.h"
#include "driver_host.h"
#include "progress.h"
#include "qlnu_avi.h"
#include "tool_error.h"
#include "video_reader.h"

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

    const Bytes& From(const AVFrame& frame) {
        uint8_t* planes[4] = {work_.data()};
        if (IsRgb(format_)) {
            const int lineSizes[4] = {static_cast<int>(RowBytes(format_, width_))};
            scaler_.Convert(frame, format_.bitCount == 24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGR0,
                            planes, lineSizes);
            // RGB pictures go to the driver bottom-up.
            picture_ = FlipRows(work_, RowBytes(format_, width_));
            return picture_;
        }
        const int lineSizes[4] = {2 * width_};
        scaler_.Convert(frame, AV_PIX_FMT_UYVY422, planes, lineSizes);
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
    const PictureFormat* format = nullptr;  // chosen from the source when none is given
    bool pad = false;
};

EncodeJob ReadJob(int argc, char** argv) {
    const CommandLine line(argc, argv, 2, {"-o", "--input-format"}, {"--pad"});
    EncodeJob job;
    job.input = line.OnlyOperand("input file");
    job.output = line.RequiredValue("-o");
    if (const auto name = line.Value("--input-format")) {
        job.format = &FormatNamed(*name, kInputFormats, "--input-format");
    }
    job.pad = line.Has("--pad");
    return job;
}

void Encode(const EncodeJob& job) {
    VideoReader reader(job.input);
    const int width = reader.Width();
    const int height = reader.Height();
    if (!job.pad && (width % kBlock != 0 || height % kBlock != 0)) {
        throw FileError(job.input, "the picture is " + SizeText(width, height) +
                                       "; QLNU needs a width and height that are multiples of "
                                       "16 (--pad adds black to make it " +
                                       SizeText(RoundUpToBlock(width), RoundUpToBlock(height)) +
                                       ")");
    }
    const int paddedWidth = RoundUpToBlock(width);
    const int paddedHeight = RoundUpToBlock(height);
    // 24-bit RGB for RGB sources, the codec's own UYVY for YUV ones: nothing is converted twice.
    const PictureFormat& format = job.format ? *job.format : reader.IsRgb() ? kRgb24 : kUyvy;

    DriverHost driver;
    const BITMAPINFOHEADER input = UncompressedHeader(format, paddedWidth, paddedHeight);
    BITMAPINFOHEADER output{};
    if (const LRESULT answer = driver.BeginCompression(input, &output); answer != ICERR_OK) {
        throw ToolError("the driver refuses to compress " + SizeText(paddedWidth, paddedHeight) +
                        " pictures in " + format.name + " (answer " + std::to_string(answer) + ")");
    }
    QlnuAviWriter writer(job.output, paddedWidth, paddedHeight, reader.FrameRate());
    DriverPicture picture(format, paddedWidth, paddedHeight);
    Progress progress("encoded", reader.ExpectedFrames());
    Bytes frame;
    int64_t frames = 0;
    while (const AVFrame* decoded = reader.NextFrame()) {
        if (decoded->width != width || decoded->height != height) {
            throw FileError(job.input,
                            "the picture size changes at frame " + std::to_string(frames + 1));
        }
        const DriverHost::FrameReport report =
            driver.Compress(input, picture.From(*decoded), output, &frame);
        writer.Write(frame, report.bytes, report.chunkId, report.flags);
        progress.FrameDone();
        ++frames;
    }
    driver.EndCompression();
    if (frames == 0) {
        throw FileError(job.input, "holds no frames");
    }
    writer.Finish();
    progress.Finish(job.output + ", QLNU " + SizeText(paddedWidth, paddedHeight) + " at " +
                    RateText(reader.FrameRate()) + " fps, compressed from " + format.name);
}

}  // namespace

int EncodeCommand(int argc, char** argv) {
    Encode(ReadJob(argc, argv));
    return 0;
}
