// qlnu decode: a QLNU AVI to any video FFmpeg writes, every frame through the driver's
// decompression messages.
#include "command_line.h"
#include "commands.h"
#include "common/codec_state.h"
#include "common/fourcc.h"
#include "driver_host.h"
#include "progress.h"
#include "qlnu_avi.h"
#include "tool_error.h"
#include "video_writer.h"

namespace {

struct DecodeJob {
    std::string input;
    std::string output;
    const PictureFormat* format = nullptr;  // chosen from the output when none is given
    bool swapFields = false;
    VideoWriterChoices choices;
};

DecodeJob ReadJob(int argc, char** argv) {
    const CommandLine line(argc, argv, 2, {"-o", "--output-format", "--codec", "--pix-fmt"},
                           {"--swap-fields"});
    DecodeJob job;
    job.input = line.OnlyOperand("input file");
    job.output = line.RequiredValue("-o");
    if (const auto name = line.Value("--output-format")) {
        job.format = &FormatNamed(*name, kOutputFormats, "--output-format");
    }
    job.swapFields = line.Has("--swap-fields");
    job.choices = {line.Value("--codec"), line.Value("--pix-fmt")};
    return job;
}

// The FFmpeg pixel format of each driver output, for the "Y16" blocks the UYVY they are
// turned into.
AVPixelFormat FfmpegFormatOf(const PictureFormat& format) {
    switch (format.compression) {
        case BI_RGB:
            return AV_PIX_FMT_BGR24;
        case kFourCCYuy2:
            return AV_PIX_FMT_YUYV422;
        case kFourCCYvyu:
            return AV_PIX_FMT_YVYU422;
        default:
            return AV_PIX_FMT_UYVY422;
    }
}

bool IsRgbPixelFormat(AVPixelFormat format) {
    return (av_pix_fmt_desc_get(format)->flags & AV_PIX_FMT_FLAG_RGB) != 0;
}

// "Y16" blocks of 16 pixels (16 Y, 8 U, 8 V bytes) as UYVY.
Bytes Y16ToUyvy(const Bytes& y16) {
    Bytes uyvy(y16.size());
    for (std::size_t block = 0; block < y16.size(); block += 32) {
        const BYTE* in = y16.data() + block;
        BYTE* out = uyvy.data() + block;
        for (int pair = 0; pair < 8; ++pair) {
            out[4 * pair] = in[16 + pair];
            out[4 * pair + 1] = in[2 * pair];
            out[4 * pair + 2] = in[24 + pair];
            out[4 * pair + 3] = in[2 * pair + 1];
        }
    }
    return uyvy;
}

// The driver's decompressed picture as a frame FFmpeg can convert: top-down rows, the RGB ones
// read from the last row up.
class DecodedPicture {
public:
    DecodedPicture(const PictureFormat& format, int width, int height) : format_(format) {
        frame_->format = FfmpegFormatOf(format);
        frame_->width = width;
        frame_->height = height;
    }

    const AVFrame& From(const Bytes& picture) {
        const Bytes& samples =
            format_.compression == kFourCCY16 ? (converted_ = Y16ToUyvy(picture)) : picture;
        const int rowBytes = static_cast<int>(RowBytes(format_, frame_->width));
        uint8_t* first = const_cast<uint8_t*>(samples.data());
        if (IsRgb(format_)) {
            frame_->data[0] = first + static_cast<std::ptrdiff_t>(rowBytes) * (frame_->height - 1);
            frame_->linesize[0] = -rowBytes;
        } else {
            frame_->data[0] = first;
            frame_->linesize[0] = rowBytes;
        }
        return *frame_;
    }

private:
    const PictureFormat& format_;
    FramePointer frame_{av_frame_alloc()};
    Bytes converted_;
};

// Sets the option that makes the driver swap the fields of every frame, as a host would: fetch
// the state record, change the option byte, give the record back.
void SwapFields(const DriverHost& driver) {
    CodecState state{};
    driver.Send(ICM_GETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state);
    state.ChangeFieldsOrder = 1;
    driver.Send(ICM_SETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state);
}

void Decode(const DecodeJob& job) {
    QlnuAviReader reader(job.input);
    const int width = reader.Width();
    const int height = reader.Height();
    // UYVY (the samples of the frames themselves) for YUV outputs, 24-bit RGB for RGB ones.
    VideoWriter writer(job.output, width, height, reader.FrameRate(),
                       job.format ? FfmpegFormatOf(*job.format) : AV_PIX_FMT_UYVY422, job.choices);
    const PictureFormat& format = job.format                               ? *job.format
                                  : IsRgbPixelFormat(writer.PixelFormat()) ? kRgb24
                                                                           : kUyvy;
    DriverHost driver;
    if (job.swapFields) {
        SwapFields(driver);
    }
    const BITMAPINFOHEADER input = reader.Format();
    BITMAPINFOHEADER output = UncompressedHeader(format, width, height);
    if (const LRESULT answer = driver.BeginDecompression(input, &output); answer != ICERR_OK) {
        throw FileError(job.input, "the driver refuses to decompress its " + std::to_string(width) +
                                       " x " + std::to_string(height) + " frames to " +
                                       format.name + " (answer " + std::to_string(answer) + ")");
    }
    DecodedPicture picture(format, width, height);
    Progress progress("decoded", reader.StatedFrames());
    Bytes frame;
    Bytes decoded;
    int64_t frames = 0;
    while (reader.NextFrame(&frame)) {
        ++frames;
        if (const auto damage = FrameDamage(frame, width, height)) {
            throw FileError(job.input,
                            "frame " + std::to_string(frames) + " is damaged: " + *damage);
        }
        driver.Decompress(input, frame, output, &decoded);
        writer.Write(picture.From(decoded));
        progress.FrameDone();
    }
    driver.EndDecompression();
    if (frames == 0) {
        throw FileError(job.input, "holds no frames");
    }
    writer.Finish();
    progress.Finish(job.output + ", " + av_get_pix_fmt_name(writer.PixelFormat()) +
                    ", decompressed to " + format.name);
}

}  // namespace

int DecodeCommand(int argc, char** argv) {
    Decode(ReadJob(argc, argv));
    return 0;
}
