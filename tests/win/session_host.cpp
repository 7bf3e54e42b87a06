// Compresses and decompresses through Wine's msvfw32 as hosts do: ICCompress and ICDecompress
// loops from every input format to every output format, and sequence compression with
// ICSeqCompressFrameStart and ICSeqCompressFrame.
#include <cstring>

#include "picture_checks.h"

namespace {

using host_test::kQlnu;

constexpr LONG kWidth = 720;
constexpr LONG kHeight = 576;
constexpr DWORD kFrameBytes = 2 * kWidth * kHeight + 20;
constexpr int kFramesPerLoop = 3;

// The QLNU format the codec proposes for `input`, checked on the way.
BITMAPINFOHEADER ProposedFormat(HIC codec, BITMAPINFOHEADER* input) {
    BITMAPINFOHEADER qlnu{};
    CHECK_EQ(ICCompressQuery(codec, input, nullptr), ICERR_OK);
    CHECK_EQ(ICCompressGetFormat(codec, input, &qlnu), ICERR_OK);
    CHECK_EQ(qlnu.biCompression, kQlnu);
    CHECK_EQ(qlnu.biSizeImage, kFrameBytes);
    CHECK_EQ(ICCompressGetSize(codec, input, &qlnu), kFrameBytes);
    return qlnu;
}

// Compresses the source a few times, as a capture loop does; answers the last frame.
Bytes CompressLoop(HIC codec, BITMAPINFOHEADER* input, BITMAPINFOHEADER* qlnu,
                   const Bytes& picture) {
    Bytes frame(kFrameBytes);
    CHECK_EQ(ICCompressBegin(codec, input, qlnu), ICERR_OK);
    for (LONG number = 0; number < kFramesPerLoop; ++number) {
        DWORD chunkId = 0;
        DWORD flags = 0;
        qlnu->biSizeImage = 0;
        CHECK_EQ(ICCompress(codec, ICCOMPRESS_KEYFRAME, qlnu, frame.data(), input,
                            const_cast<BYTE*>(picture.data()), &chunkId, &flags, number, 0, 0,
                            nullptr, nullptr),
                 ICERR_OK);
        CHECK_EQ(qlnu->biSizeImage, kFrameBytes);
        CHECK_EQ(chunkId, 0x6364u);
        CHECK_EQ(flags & (AVIIF_KEYFRAME | AVIIF_TWOCC),
                 static_cast<DWORD>(AVIIF_KEYFRAME | AVIIF_TWOCC));
        CHECK(std::memcmp(frame.data(), "QLN1", 4) == 0);
    }
    CHECK_EQ(ICCompressEnd(codec), ICERR_OK);
    return frame;
}

Bytes DecompressLoop(HIC codec, BITMAPINFOHEADER* qlnu, const Bytes& frame,
                     const PictureFormat& output) {
    BITMAPINFOHEADER format = UncompressedHeader(output, kWidth, kHeight);
    Bytes picture(format.biSizeImage, 0xCD);
    CHECK_EQ(ICDecompressQuery(codec, qlnu, &format), ICERR_OK);
    CHECK_EQ(ICDecompressBegin(codec, qlnu, &format), ICERR_OK);
    for (int number = 0; number < kFramesPerLoop; ++number) {
        CHECK_EQ(
            ICDecompress(codec, 0, qlnu, const_cast<BYTE*>(frame.data()), &format, picture.data()),
            ICERR_OK);
    }
    CHECK_EQ(ICDecompressEnd(codec), ICERR_OK);
    return picture;
}

void CheckEveryFormatBothWays() {
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(codec != nullptr);
    if (codec == nullptr) {
        return;
    }
    std::uint32_t seed = 1;
    for (const PictureFormat& input : kInputFormats) {
        const host_test::SourcePicture source =
            host_test::MakeSource(input, kWidth, kHeight, seed++);
        BITMAPINFOHEADER inputFormat = UncompressedHeader(input, kWidth, kHeight);
        BITMAPINFOHEADER qlnu = ProposedFormat(codec, &inputFormat);
        const Bytes frame = CompressLoop(codec, &inputFormat, &qlnu, source.picture);
        for (const PictureFormat& output : kOutputFormats) {
            const Bytes decoded = DecompressLoop(codec, &qlnu, frame, output);
            const bool shown =
                host_test::ShowsSource(decoded, source, input, output, kWidth, kHeight);
            host_test::Check(shown, (std::string(input.name) + " to " + output.name).c_str(),
                             __FILE__, __LINE__);
        }
    }
    CHECK_EQ(ICClose(codec), ICERR_OK);
}

// ICSeqCompressFrame compresses through the codec of the COMPVARS and answers each frame.
// Whether a frame was a key frame is not asked: Wine's msvfw32 does not pass the flags the
// codec reports back through the key-frame answer; the ICCompress loop checks those flags.
void CheckSequenceCompression() {
    COMPVARS settings{};
    settings.cbSize = sizeof settings;
    settings.dwFlags = ICMF_COMPVARS_VALID;
    settings.hic = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    settings.fccType = ICTYPE_VIDEO;
    settings.fccHandler = kQlnu;
    settings.lKey = 1;
    settings.lQ = ICQUALITY_DEFAULT;
    CHECK(settings.hic != nullptr);
    if (settings.hic == nullptr) {
        return;
    }
    BITMAPINFO input{};
    input.bmiHeader = UncompressedHeader(kRgb24, kWidth, kHeight);
    CHECK(ICSeqCompressFrameStart(&settings, &input));

    HIC decoder = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS);
    BITMAPINFOHEADER qlnu = QlnuHeader(kWidth, kHeight);
    for (int number = 0; number < 4; ++number) {
        const host_test::SourcePicture source =
            host_test::MakeSource(kRgb24, kWidth, kHeight, 100 + number);
        BOOL key;
        LONG size = static_cast<LONG>(kFrameBytes);
        auto* frame = static_cast<const BYTE*>(ICSeqCompressFrame(
            &settings, 0, const_cast<BYTE*>(source.picture.data()), &key, &size));
        CHECK(frame != nullptr);
        if (frame == nullptr) {
            break;
        }
        CHECK_EQ(size, static_cast<LONG>(kFrameBytes));
        CHECK(std::memcmp(frame, "QLN1", 4) == 0);
        const Bytes decoded =
            DecompressLoop(decoder, &qlnu, Bytes(frame, frame + kFrameBytes), kRgb24);
        CHECK(host_test::ShowsSource(decoded, source, kRgb24, kRgb24, kWidth, kHeight));
    }
    ICSeqCompressFrameEnd(&settings);
    ICCompressorFree(&settings);
    ICClose(decoder);
}

}  // namespace

int main() {
    CHECK(host_test::InstallDriver());
    CheckEveryFormatBothWays();
    CheckSequenceCompression();
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
