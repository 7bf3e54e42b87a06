// Whether a program that never calls ICInstall finds the QLNU driver, as one does after
// qlnu.inf has installed it and no longer does after its uninstall; the driver it finds must
// compress a picture and decompress the frame back to the same picture.
//   installed_host.exe installed | removed
#include <cstring>

#include "frame_sessions.h"

int main(int argc, char** argv) {
    const bool installed = argc > 1 && std::strcmp(argv[1], "installed") == 0;
    HIC codec = ICOpen(ICTYPE_VIDEO, host_test::kQlnu, ICMODE_COMPRESS);
    CHECK_EQ(codec != nullptr, installed);
    if (codec != nullptr) {
        ICINFO info{};
        CHECK(ICGetInfo(codec, &info, sizeof info) > 0);
        CHECK_EQ(info.fccHandler, host_test::kQlnu);
        const Bytes picture = RandomUyvy(64, 32, 7);
        const Bytes frame =
            host_test::CompressionSession(codec, kUyvy, 64, 32).Compress(picture.data());
        CHECK(std::memcmp(frame.data(), "QLN1", 4) == 0);
        CHECK(host_test::DecompressionSession(codec, kUyvy, 64, 32).Decompress(frame) == picture);
        ICClose(codec);
    }
    return host_test::Finish();
}
