// Whether a program that never calls ICInstall finds the QLNU driver, as one does after
// qlnu.inf has installed it and no longer does after its uninstall.
//   installed_host.exe installed | removed
#include <cstring>

#include "host_test.h"

int main(int argc, char** argv) {
    const bool installed = argc > 1 && std::strcmp(argv[1], "installed") == 0;
    HIC codec = ICOpen(ICTYPE_VIDEO, host_test::kQlnu, ICMODE_DECOMPRESS);
    CHECK_EQ(codec != nullptr, installed);
    if (codec != nullptr) {
        ICINFO info{};
        CHECK(ICGetInfo(codec, &info, sizeof info) > 0);
        CHECK_EQ(info.fccHandler, host_test::kQlnu);
        ICClose(codec);
    }
    return host_test::Finish();
}
