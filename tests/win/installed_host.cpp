// Whether a program that never calls ICInstall finds the QLNU driver, as one does after
// qlnu.inf has installed it and no longer does after its uninstall; the driver it finds must
// compress a picture and decompress the frame back to the same picture.
//   installed_host.exe installed | removed
#include <cstring>
#include <vector>

#include "host_test.h"

namespace {

using host_test::kQlnu;

constexpr LONG kWidth = 64, kHeight = 32;
constexpr DWORD kUyvy = mmioFOURCC('U', 'Y', 'V', 'Y');

void CheckCodesAFrame(HIC codec) {
    BITMAPINFOHEADER picture = MakeFormat(kUyvy, 16, kWidth, kHeight);
    picture.biSizeImage = 2 * kWidth * kHeight;
    BITMAPINFOHEADER frame = MakeFormat(kQlnu, 24, kWidth, kHeight);
    frame.biSizeImage = 2 * kWidth * kHeight + 20;
    std::vector<BYTE> source(picture.biSizeImage), coded(frame.biSizeImage);
    std::vector<BYTE> decoded(picture.biSizeImage);
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<BYTE>(i * 7 + i / 128);
    }
    DWORD chunk = 0, flags = 0;
    CHECK_EQ(ICCompressBegin(codec, &picture, &frame), ICERR_OK);
    CHECK_EQ(ICCompress(codec, ICCOMPRESS_KEYFRAME, &frame, coded.data(), &picture, source.data(),
                        &chunk, &flags, 0, 0, 0, nullptr, nullptr),
             ICERR_OK);
    ICCompressEnd(codec);
    CHECK(std::memcmp(coded.data(), "QLN1", 4) == 0);
    CHECK_EQ(ICDecompressBegin(codec, &frame, &picture), ICERR_OK);
    CHECK_EQ(ICDecompress(codec, 0, &frame, coded.data(), &picture, decoded.data()), ICERR_OK);
    ICDecompressEnd(codec);
    CHECK(decoded == source);
}

}  // namespace

int main(int argc, char** argv) {
    const bool installed = argc > 1 && std::strcmp(argv[1], "installed") == 0;
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK_EQ(codec != nullptr, installed);
    if (codec != nullptr) {
        ICINFO info{};
        CHECK(ICGetInfo(codec, &info, sizeof info) > 0);
        CHECK_EQ(info.fccHandler, kQlnu);
        CheckCodesAFrame(codec);
        ICClose(codec);
    }
    return host_test::Finish();
}
