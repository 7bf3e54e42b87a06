// Installs the driver and opens it through msvfw32 in every mode: what it says about itself,
// and that each ICOpen gets an instance with a state of its own. With --board, the board
// simulator sits beside the program and the driver must offer drawing; without, refuse it.
#include <cstring>

#include "host_test.h"

namespace {

using host_test::kQlnu;

struct State {
    char handler[4];
    DWORD reserved;
    BYTE filtrateAlpha;
    BYTE changeFieldsOrder;
    BYTE fastDct;
    BYTE reservedFlag;
};
static_assert(sizeof(State) == 12);

void CheckInfo(HIC codec, DWORD expectedFlags) {
    ICINFO info{};
    CHECK_EQ(ICGetInfo(codec, &info, sizeof info), sizeof(ICINFO));
    CHECK_EQ(info.fccHandler, kQlnu);
    CHECK_EQ(info.dwFlags, expectedFlags);
    CHECK_EQ(info.dwVersion, 0x104u);
    CHECK(host_test::NarrowText(info.szDescription) == "Telvik Uncompressed");
    CHECK(host_test::NarrowText(info.szName) == "QLNU");
}

void CheckEachModeOpens(DWORD expectedFlags) {
    for (UINT mode : {ICMODE_COMPRESS, ICMODE_DECOMPRESS, ICMODE_FASTDECOMPRESS, ICMODE_DRAW}) {
        HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, mode);
        CHECK(codec != nullptr && ICQueryConfigure(codec) && ICQueryAbout(codec));
        if (codec != nullptr) {
            CheckInfo(codec, expectedFlags);
            CHECK_EQ(ICClose(codec), ICERR_OK);
        }
    }
}

void CheckInstancesKeepTheirOwnState() {
    HIC first = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS);
    HIC second = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(first != nullptr && second != nullptr);
    CHECK_EQ(ICGetStateSize(first), 12);
    State factory{};
    CHECK_EQ(ICGetState(first, &factory, sizeof factory), 12);
    CHECK(std::memcmp(factory.handler, "QLNU", 4) == 0 && factory.reserved == 8000u);
    State changed = factory;
    changed.changeFieldsOrder = 1;
    changed.reserved = 77;
    CHECK_EQ(ICSetState(first, &changed, sizeof changed), 12);
    State back{};
    ICGetState(first, &back, sizeof back);
    CHECK(std::memcmp(&back, &changed, sizeof back) == 0);
    ICGetState(second, &back, sizeof back);
    CHECK(std::memcmp(&back, &factory, sizeof back) == 0);
    ICClose(first);
    ICClose(second);
}

}  // namespace

int main(int argc, char** argv) {
    const bool boardBesideProgram = argc > 1 && std::strcmp(argv[1], "--board") == 0;
    CHECK(host_test::InstallDriver());
    CheckEachModeOpens(boardBesideProgram ? VIDCF_DRAW : 0);
    HIC draw = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DRAW);
    BITMAPINFOHEADER qlnu = MakeFormat(kQlnu, 24, 64, 48);
    CHECK_EQ(ICDrawQuery(draw, &qlnu), boardBesideProgram ? ICERR_OK : ICERR_UNSUPPORTED);
    ICClose(draw);
    CheckInstancesKeepTheirOwnState();
    CHECK(host_test::RemoveDriver());
    CHECK(ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS) == nullptr);
    return host_test::Finish();
}
