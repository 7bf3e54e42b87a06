// Installs the driver, opens it in every mode through msvfw32 and checks what it says about
// itself and how it keeps its state. With --board, the board simulator sits beside the program
// and the driver must offer drawing.
#include <cstring>
#include <string>

#include "host_test.h"

namespace {

using host_test::kQlnu;

constexpr UINT kOpenModes[] = {ICMODE_COMPRESS, ICMODE_DECOMPRESS, ICMODE_FASTDECOMPRESS,
                               ICMODE_DRAW};

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
    CHECK_EQ(info.dwSize, sizeof(ICINFO));
    CHECK_EQ(info.fccType, ICTYPE_VIDEO);
    CHECK_EQ(info.fccHandler, kQlnu);
    CHECK_EQ(info.dwFlags, expectedFlags);
    CHECK_EQ(info.dwVersion, 0x104u);
    CHECK(host_test::NarrowText(info.szDescription) == "Telvik Uncompressed");
    CHECK(host_test::NarrowText(info.szName) == "QLNU");
}

void CheckStateRoundTrip(HIC codec) {
    CHECK_EQ(ICGetStateSize(codec), 12);
    State state{};
    CHECK_EQ(ICGetState(codec, &state, sizeof state), 12);
    CHECK(std::memcmp(state.handler, "QLNU", 4) == 0);
    CHECK_EQ(state.reserved, 8000u);

    State lowerCase = state;
    std::memcpy(lowerCase.handler, "qlnu", 4);
    lowerCase.changeFieldsOrder = 1;
    CHECK_EQ(ICSetState(codec, &lowerCase, sizeof lowerCase), 12);
    State back{};
    ICGetState(codec, &back, sizeof back);
    CHECK(std::memcmp(&back, &lowerCase, sizeof back) == 0);

    State foreign = state;
    std::memcpy(foreign.handler, "QLNT", 4);
    CHECK_EQ(ICSetState(codec, &foreign, sizeof foreign), 0);
    ICGetState(codec, &back, sizeof back);
    CHECK(std::memcmp(&back, &lowerCase, sizeof back) == 0);
}

void CheckEachModeOpens(DWORD expectedFlags) {
    for (UINT mode : kOpenModes) {
        HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, mode);
        CHECK(codec != nullptr);
        if (codec == nullptr) {
            continue;
        }
        CheckInfo(codec, expectedFlags);
        CheckStateRoundTrip(codec);
        CHECK(ICQueryConfigure(codec));
        CHECK(ICQueryAbout(codec));
        CHECK_EQ(ICClose(codec), ICERR_OK);
    }
}

void CheckInstancesKeepTheirOwnState() {
    HIC first = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS);
    HIC second = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(first != nullptr && second != nullptr);
    State changed{};
    ICGetState(first, &changed, sizeof changed);
    changed.changeFieldsOrder = 1;
    changed.reserved = 77;
    CHECK_EQ(ICSetState(first, &changed, sizeof changed), 12);
    State other{};
    ICGetState(second, &other, sizeof other);
    CHECK_EQ(other.changeFieldsOrder, 0);
    CHECK_EQ(other.reserved, 8000u);
    ICClose(first);
    ICClose(second);
}

}  // namespace

int main(int argc, char** argv) {
    const bool boardBesideProgram = argc > 1 && std::strcmp(argv[1], "--board") == 0;
    CHECK(host_test::InstallDriver());
    CheckEachModeOpens(boardBesideProgram ? VIDCF_DRAW : 0);
    CheckInstancesKeepTheirOwnState();
    CHECK(host_test::RemoveDriver());
    CHECK(ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS) == nullptr);
    return host_test::Finish();
}
