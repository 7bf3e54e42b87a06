// Frames through Wine's avifil32 and msvfw32, as hosts send them: an AVI file written through a
// compressed stream and read back through AVIStreamGetFrame. The formats themselves are the
// session tests'; here 24-bit RGB alone proves the way through the manager, on the driver's
// own worker threads.
// The AVI file stays behind (its name is the first argument) for ffprobe to look at.
#include "host_test.h"
#include "test_pictures.h"

namespace {

using host_test::kQlnu;

constexpr LONG kWidth = 352;
constexpr LONG kHeight = 288;
constexpr DWORD kFrameBytes = 2 * kWidth * kHeight + 20;
constexpr LONG kFrames = 4;
// One level of encoding error grows by the decoder's gain, and its arithmetic adds up to two.
constexpr int kRoundTripTolerance = 5;

Bytes SourcePicture(LONG number) {
    return RandomRgbBlocks(kWidth, kHeight, 3, 100 + static_cast<std::uint32_t>(number));
}

void CheckShowsSource(const BYTE* decoded, LONG number) {
    const Bytes source = SourcePicture(number);
    CHECK(LargestDifference(Bytes(decoded, decoded + source.size()), source) <=
          kRoundTripTolerance);
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
        Bytes picture = SourcePicture(number);
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
    CHECK_EQ(AVIStreamLength(stream), kFrames);
    BITMAPINFOHEADER stored{};
    LONG storedBytes = sizeof stored;
    CHECK_EQ(AVIStreamReadFormat(stream, 0, &stored, &storedBytes), AVIERR_OK);
    CHECK_EQ(stored.biCompression, kQlnu);
    CHECK_EQ(stored.biSizeImage, kFrameBytes);
    BITMAPINFOHEADER wanted = UncompressedHeader(kRgb24, kWidth, kHeight);
    PGETFRAME frames = AVIStreamGetFrameOpen(stream, &wanted);
    CHECK(frames != nullptr);
    for (LONG number = 0; frames != nullptr && number < kFrames; ++number) {
        const auto* picture =
            static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(frames, number));
        CHECK(picture != nullptr && picture->biBitCount == 24 && picture->biHeight == kHeight);
        if (picture != nullptr) {
            CheckShowsSource(reinterpret_cast<const BYTE*>(picture) + picture->biSize +
                                 picture->biClrUsed * sizeof(RGBQUAD),
                             number);
        }
    }
    if (frames != nullptr) {
        AVIStreamGetFrameClose(frames);
    }
    AVIStreamRelease(stream);
}

}  // namespace

int main(int argc, char** argv) {
    const char* aviPath = argc > 1 ? argv[1] : "qlnu_frames.avi";
    CHECK(host_test::InstallDriver());
    AVIFileInit();
    WriteAvi(aviPath);
    ReadAvi(aviPath);
    AVIFileExit();
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
