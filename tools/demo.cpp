// The driver at work on a built-in 720 × 576 test picture, driven through DriverProc as a host
// drives it. The picture is compressed from every input format the codec takes, and each frame
// decompressed to every output format it gives. A table shows the frame size, the frames per
// second of each direction over a short loop, and how the decoded picture compares with the
// source: byte for byte where both ends are packed YUV, as PSNR where RGB is involved. The
// decoded RGB pictures are written as PNG files into the folder given.
#include "demo.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "demo_picture.h"
#include "driver_host.h"
#include "platform/processors.h"
#include "png_file.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;
// A lossy path passes when the decoded picture is at least this close to its source. RGB to
// RGB is the lowest: the RGB source already carries one generation of 4:2:2 chroma, and the
// round trip adds a second one at every colour edge.
constexpr double kLeastPsnr = 36.0;

// Frames per second of `frame`, over at least 0.2 s and three frames.
template <typename Frame>
double FramesPerSecond(Frame frame) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    int frames = 0;
    std::chrono::duration<double> elapsed{};
    do {
        frame();
        ++frames;
        elapsed = Clock::now() - start;
    } while (frames < 3 || elapsed.count() < 0.2);
    return frames / elapsed.count();
}

double Psnr(const Bytes& a, const Bytes& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double difference = static_cast<double>(a[i]) - b[i];
        squares += difference * difference;
    }
    const double mean = squares / static_cast<double>(a.size());
    return mean == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mean);
}

// The test picture in one of the input formats.
Bytes PictureIn(const PictureFormat& format, const Bytes& uyvy, const Bytes& rgb24) {
    if (IsRgb(format)) {
        return RgbWithPixelBytes(rgb24, format.bitCount / 8);
    }
    return UyvyToLayout(uyvy, kWidth, kHeight, format.compression, 0xFF);
}

std::string LowerCase(const char* name) {
    std::string text(name);
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

struct Verdict {
    std::string text;
    bool passed;
};

Verdict Compare(const Bytes& decoded, const Bytes& expected, bool lossless) {
    if (decoded == expected) {
        return {"byte-exact", true};
    }
    if (lossless || decoded.size() != expected.size()) {
        return {"DIFFERS", false};
    }
    const double psnr = Psnr(decoded, expected);
    char text[32];
    std::snprintf(text, sizeof text, "PSNR %.1f dB", psnr);
    return {text, psnr >= kLeastPsnr};
}

class Demo {
public:
    explicit Demo(std::filesystem::path folder)
        : folder_(std::move(folder)),
          uyvy_(MakeTestPicture(kWidth, kHeight)),
          rgb24_(ReferenceUyvyToRgb24(uyvy_, kWidth, kHeight)) {}

    bool Run() {
        std::filesystem::create_directories(folder_);
        WriteBottomUpBgrPng((folder_ / "source.png").string(), kWidth, kHeight, rgb24_);
        std::printf("QLNU driver demo: %d x %d test picture, %u processor(s)%s\n\n", kWidth,
                    kHeight, ProcessorCount(),
                    ProcessorCount() >= 2 ? ", one field per thread" : "");
        std::printf("%-6s %-6s %11s %13s %15s  %s\n", "input", "output", "frame bytes",
                    "compress fps", "decompress fps", "decoded against the source");
        bool passed = true;
        for (const PictureFormat& input : kInputFormats) {
            passed = CompressAndDecode(input) && passed;
        }
        std::printf("\nDecoded RGB pictures: %s\n",
                    std::filesystem::absolute(folder_).lexically_normal().c_str());
        std::printf(passed ? "Every path passed.\n" : "Some path FAILED.\n");
        return passed;
    }

private:
    bool CompressAndDecode(const PictureFormat& input) {
        const BITMAPINFOHEADER inputFormat = UncompressedHeader(input, kWidth, kHeight);
        BITMAPINFOHEADER qlnu{};
        if (const LRESULT answer = host_.BeginCompression(inputFormat, &qlnu); answer != ICERR_OK) {
            std::printf("%-6s refused: %ld\n", input.name, static_cast<long>(answer));
            return false;
        }
        const Bytes picture = PictureIn(input, uyvy_, rgb24_);
        Bytes frame;
        const DWORD frameBytes = host_.Compress(inputFormat, picture, qlnu, &frame).bytes;
        const double compressFps =
            FramesPerSecond([&] { host_.Compress(inputFormat, picture, qlnu, &frame); });
        host_.EndCompression();

        bool passed = true;
        for (const PictureFormat& output : kOutputFormats) {
            passed = Decode(input, qlnu, frame, frameBytes, compressFps, output) && passed;
        }
        return passed;
    }

    bool Decode(const PictureFormat& input, const BITMAPINFOHEADER& qlnu, const Bytes& frame,
                DWORD frameBytes, double compressFps, const PictureFormat& output) {
        BITMAPINFOHEADER outputFormat = UncompressedHeader(output, kWidth, kHeight);
        if (const LRESULT answer = host_.BeginDecompression(qlnu, &outputFormat);
            answer != ICERR_OK) {
            std::printf("%-6s %-6s refused: %ld\n", input.name, output.name,
                        static_cast<long>(answer));
            return false;
        }
        Bytes decoded;
        host_.Decompress(qlnu, frame, outputFormat, &decoded);
        const double decompressFps =
            FramesPerSecond([&] { host_.Decompress(qlnu, frame, outputFormat, &decoded); });
        host_.EndDecompression();

        const bool lossless = !IsRgb(input) && !IsRgb(output);
        const Bytes expected =
            IsRgb(output) ? rgb24_ : UyvyToLayout(uyvy_, kWidth, kHeight, output.compression);
        const Verdict verdict = Compare(decoded, expected, lossless);
        if (IsRgb(output)) {
            const std::string name = LowerCase(input.name) + "-to-rgb24.png";
            WriteBottomUpBgrPng((folder_ / name).string(), kWidth, kHeight, decoded);
        }
        std::printf("%-6s %-6s %11u %13.0f %15.0f  %s\n", input.name, output.name, frameBytes,
                    compressFps, decompressFps, verdict.text.c_str());
        return verdict.passed;
    }

    std::filesystem::path folder_;
    DriverHost host_;
    Bytes uyvy_;
    Bytes rgb24_;
};

}  // namespace

bool RunDemo(const std::string& folder) {
    Demo demo(folder);
    return demo.Run();
}
