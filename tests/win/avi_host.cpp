// Writes an AVI file of 24-bit RGB frames through avifil32's compressed stream, which runs the
// codec, and reads it back through AVIStreamGetFrame, which decodes with it again. The file
// stays behind (its name is the first argument) for ffprobe to look at.
#include <string>

#include "picture_checks.h"

namespace {

using host_test::kQlnu;

constexpr LONG kWidth = 352;
constexpr LONG kHeight = 288;
constexpr LONG kFrames = 5;

host_test::SourcePicture FramePicture(LONG number) {
    return host_test::MakeSource(kRgb24, kWidth, kHeight, 200 + static_cast<std::uint32_t>(number));
}

void WriteAvi(const char* path) {
    PAVIFILE file = nullptr;
    CHECK_EQ(AVIFileOpenA(&file, path, OF_CREATE | OF_WRITE, nullptr), AVIERR_OK);
    AVISTREAMINFOA info{};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = kQlnu;
    info.dwScale = 1;
    info.dwRate = 25;
    info.dwSuggestedBufferSize = 3 * kWidth * kHeight;
    SetRect(&info.rcFrame, 0, 0, kWidth, kHeight);
    PAVISTREAM raw = nullptr;
    CHECK_EQ(AVIFileCreateStreamA(file, &raw, &info), AVIERR_OK);

    AVICOMPRESSOPTIONS options{};
    options.fccType = streamtypeVIDEO;
    options.fccHandler = kQlnu;
    options.dwKeyFrameEvery = 1;
    options.dwFlags = AVICOMPRESSF_KEYFRAMES;
    PAVISTREAM compressed = nullptr;
    CHECK_EQ(AVIMakeCompressedStream(&compressed, raw, &options, nullptr), AVIERR_OK);
    BITMAPINFOHEADER rgb = UncompressedHeader(kRgb24, kWidth, kHeight);
    CHECK_EQ(AVIStreamSetFormat(compressed, 0, &rgb, sizeof rgb), AVIERR_OK);
    for (LONG number = 0; number < kFrames; ++number) {
        Bytes picture = FramePicture(number).picture;
        CHECK_EQ(
            AVIStreamWrite(compressed, number, 1, picture.data(), static_cast<LONG>(picture.size()),
                           AVIIF_KEYFRAME, nullptr, nullptr),
            AVIERR_OK);
    }
    AVIStreamRelease(compressed);
    AVIStreamRelease(raw);
    AVIFileRelease(file);
}

void ReadAvi(const char* path) {
    PAVISTREAM stream = nullptr;
    CHECK_EQ(AVIStreamOpenFromFileA(&stream, path, streamtypeVIDEO, 0, OF_READ, nullptr),
             AVIERR_OK);
    if (stream == nullptr) {
        return;
    }
    AVISTREAMINFOA info{};
    AVIStreamInfoA(stream, &info, sizeof info);
    CHECK_EQ(info.fccHandler, kQlnu);
    CHECK_EQ(AVIStreamLength(stream), kFrames);
    BITMAPINFOHEADER stored{};
    LONG storedBytes = sizeof stored;
    CHECK_EQ(AVIStreamReadFormat(stream, 0, &stored, &storedBytes), AVIERR_OK);
    CHECK_EQ(stored.biCompression, kQlnu);
    CHECK_EQ(stored.biSizeImage, static_cast<DWORD>(2 * kWidth * kHeight + 20));

    BITMAPINFOHEADER wanted = UncompressedHeader(kRgb24, kWidth, kHeight);
    PGETFRAME frames = AVIStreamGetFrameOpen(stream, &wanted);
    CHECK(frames != nullptr);
    for (LONG number = 0; frames != nullptr && number < kFrames; ++number) {
        const auto* picture =
            static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(frames, number));
        CHECK(picture != nullptr);
        if (picture == nullptr) {
            continue;
        }
        CHECK_EQ(picture->biBitCount, 24);
        CHECK_EQ(picture->biHeight, kHeight);
        const BYTE* bits = reinterpret_cast<const BYTE*>(picture) + picture->biSize +
                           picture->biClrUsed * sizeof(RGBQUAD);
        const Bytes decoded(bits, bits + 3 * kWidth * kHeight);
        CHECK(
            host_test::ShowsSource(decoded, FramePicture(number), kRgb24, kRgb24, kWidth, kHeight));
    }
    if (frames != nullptr) {
        AVIStreamGetFrameClose(frames);
    }
    AVIStreamRelease(stream);
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "qlnu_frames.avi";
    CHECK(host_test::InstallDriver());
    AVIFileInit();
    WriteAvi(path);
    ReadAvi(path);
    AVIFileExit();
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
