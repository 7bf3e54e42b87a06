// The codec's flags and full-screen list: what loading accepts, what saving leaves in the
// registry, and which programs count as full-screen. A first run is the attach test's.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/codec_state.h"
#include "settings/registry_values.h"
#include "settings/settings_store.h"
#include "settings/yuv_restricted_apps.h"

namespace {

class SettingsStoreTest : public EmptyRegistryTest {
protected:
    void SetUp() override { StartAgain(); }
    // An empty registry, the factory flags and a list left from an earlier load.
    static void StartAgain() {
        ExpectHandlesClosedAndReset();
        DefaultCodecState = kFactoryCodecState;
        for (char* slot : FullScreenApps) {
            std::strcpy(slot, "LEFTOVER.EXE");
        }
    }
    void TearDown() override {
        DefaultCodecState = kFactoryCodecState;
        EmptyRegistryTest::TearDown();
    }

    static void PutFlags(DWORD fastDct, DWORD changeFieldsOrder, DWORD filtrateAlpha) {
        PutDword(kCodecKey, "FastDCT", fastDct);
        PutDword(kCodecKey, "ChangeFieldsOrder", changeFieldsOrder);
        PutDword(kCodecKey, "FiltrateAlpha", filtrateAlpha);
    }
};

// Numbers stored in fewer than four bytes are read into values preset to 0.
TEST_F(SettingsStoreTest, EachFlagIsSetFromWhetherItsValueIsZeroAndOneByteCounts) {
    PutFlags(0, 7, 0);
    PutValue(kCodecKey, "FastDCT", REG_DWORD, nullptr, 0);
    const BYTE appCount = 1;
    PutValue(kCodecKey, "AppCount", REG_DWORD, &appCount, sizeof appCount);
    PutString(kCodecKey, "App1", "A.EXE");
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(DefaultCodecState.FastDCT, 0);
    EXPECT_EQ(DefaultCodecState.ChangeFieldsOrder, 1);
    EXPECT_EQ(DefaultCodecState.FiltrateAlpha, 0);
    EXPECT_EQ(DefaultCodecState.ReservedValue, kReservedStateValue);
    EXPECT_EQ(ListedNames(FullScreenApps), std::vector<std::string>{"A.EXE"});
}

// One application value as a test stores it.
struct AppValue {
    int number;
    std::string text;
    DWORD type = REG_SZ;
    bool terminated = true;
};

struct ListCase {
    const char* name;
    std::optional<LONG> appCount;  // none: no "AppCount" value at all
    std::vector<AppValue> apps;
    bool loads;
    std::vector<std::string> listed;  // after a load that succeeded
};

// The names as "App1" up to "App<count>".
std::vector<AppValue> Apps(const std::vector<std::string>& names) {
    std::vector<AppValue> apps;
    for (const std::string& name : names) {
        apps.push_back({static_cast<int>(apps.size()) + 1, name});
    }
    return apps;
}

const std::string k63(63, 'N');
const std::string k64(64, 'N');

const ListCase kListCases[] = {
    {"TwoNames", 2, {{1, "A.EXE"}, {2, "B.EXE"}}, true, {"A.EXE", "B.EXE"}},
    {"CountBelowTheValuesStored", 1, {{1, "A.EXE"}, {2, "B.EXE"}}, true, {"A.EXE"}},
    {"CountZero", 0, {{1, "A.EXE"}}, true, {}},
    {"CountNegative", -1, {{1, "A.EXE"}}, true, {}},
    {"CountSixteen", 16, Apps(NumberedNames(16)), true, NumberedNames(16)},
    {"CountSeventeen", 17, Apps(NumberedNames(17)), false, {}},
    {"CountMissing", std::nullopt, {{1, "A.EXE"}}, false, {}},
    {"ThirdOfFiveMissing", 5, {{1, "A"}, {2, "B"}, {4, "D"}, {5, "E"}}, true, {"A", "B"}},
    {"SecondNotAString", 3, {{1, "A"}, {2, "B", REG_DWORD}, {3, "C"}}, true, {"A"}},
    {"NameOf63Characters", 2, {{1, "A.EXE"}, {2, k63}}, true, {"A.EXE", k63}},
    {"NameOf64Characters", 3, {{1, "A.EXE"}, {2, k64}, {3, "C.EXE"}}, true, {"A.EXE"}},
    {"UnterminatedNameOf64BytesIsCut", 1, {{1, k64, REG_SZ, false}}, true, {k63}},
    {"UnterminatedNameKeepsItsEnd", 2, {{1, "A", REG_SZ, false}, {2, "B"}}, true, {"A", "B"}},
    {"LowerCaseKeptAsStored", 1, {{1, "premiere.exe"}}, true, {"premiere.exe"}},
};

TEST_F(SettingsStoreTest, LoadsTheNamesUpToTheFirstUnreadableOne) {
    for (const ListCase& c : kListCases) {
        StartAgain();
        PutFlags(1, 0, 1);
        if (c.appCount) {
            PutDword(kCodecKey, "AppCount", static_cast<DWORD>(*c.appCount));
        }
        for (const AppValue& app : c.apps) {
            PutValue(kCodecKey, ("App" + std::to_string(app.number)).c_str(), app.type,
                     app.text.c_str(),
                     static_cast<DWORD>(app.text.size() + (app.terminated ? 1 : 0)));
        }
        ASSERT_EQ(LoadSettings(), c.loads) << c.name;
        if (c.loads) {
            EXPECT_EQ(ListedNames(FullScreenApps), c.listed) << c.name;
        }
    }
}

// Any one of the four numbers unreadable makes the whole set unusable.
TEST_F(SettingsStoreTest, AnyUnreadableNumberFailsTheLoad) {
    const struct {
        const char* value;
        DWORD type;
        DWORD size;
    } kMalformed[] = {{"FastDCT", REG_SZ, 2},
                      {"ChangeFieldsOrder", REG_BINARY, 4},
                      {"FiltrateAlpha", REG_DWORD, 8},
                      {"AppCount", REG_SZ, 2},
                      {"AppCount", REG_DWORD, 0}};
    for (const auto& c : kMalformed) {
        StartAgain();
        PutFlags(1, 0, 1);
        PutDword(kCodecKey, "AppCount", 0);
        const BYTE bytes[8] = {'1', 0};
        PutValue(kCodecKey, c.value, c.type, bytes, c.size);
        EXPECT_FALSE(LoadSettings()) << c.value << " of type " << c.type;
    }
}

TEST_F(SettingsStoreTest, FlagsReadBeforeAFailureKeepTheirNewValues) {
    PutDword(kCodecKey, "FastDCT", 0);
    PutDword(kCodecKey, "ChangeFieldsOrder", 1);
    EXPECT_FALSE(LoadSettings());
    EXPECT_EQ(DefaultCodecState.FastDCT, 0);
    EXPECT_EQ(DefaultCodecState.ChangeFieldsOrder, 1);
    EXPECT_EQ(DefaultCodecState.FiltrateAlpha, 1);
}

TEST_F(SettingsStoreTest, SavingNumbersTheNamesInUseAndLeavesOlderValuesBeyondTheCount) {
    EXPECT_FALSE(LoadSettings());
    SaveSettings();
    EXPECT_FALSE(KeyExists("Software"));  // neither loading nor saving creates the key

    WriteDefaultSettings();
    PutString(kCodecKey, "App3", "OLD.EXE");
    std::memset(FullScreenApps, 0, sizeof FullScreenApps);
    std::strcpy(FullScreenApps[0], "FIRST.EXE");
    std::strcpy(FullScreenApps[1], "XREMOVED.EXE");
    FullScreenApps[1][0] = '\0';  // emptied as the dialog empties a slot
    std::strcpy(FullScreenApps[2], "THIRD.EXE");
    DefaultCodecState.FastDCT = 1;
    DefaultCodecState.ChangeFieldsOrder = 1;
    DefaultCodecState.FiltrateAlpha = 0;
    SaveSettings();

    EXPECT_EQ(GetValue(kCodecKey, "App1").Bytes(), WithZero("FIRST.EXE"));
    EXPECT_EQ(GetValue(kCodecKey, "App2").Bytes(), WithZero("THIRD.EXE"));
    EXPECT_EQ(GetValue(kCodecKey, "AppCount").Dword(), 2u);
    EXPECT_EQ(GetValue(kCodecKey, "App3").Bytes(), WithZero("OLD.EXE"));
    EXPECT_EQ(GetValue(kCodecKey, "FastDCT").Dword(), 1u);
    EXPECT_EQ(GetValue(kCodecKey, "ChangeFieldsOrder").Dword(), 1u);
    EXPECT_EQ(GetValue(kCodecKey, "FiltrateAlpha").Dword(), 0u);
    // Loading never reads past the count.
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(ListedNames(FullScreenApps), (std::vector<std::string>{"FIRST.EXE", "THIRD.EXE"}));
}

TEST_F(SettingsStoreTest, AKeyTheUserMayNotWriteIsReadButNeverWritten) {
    PutFlags(0, 0, 0);
    PutDword(kCodecKey, "AppCount", 1);
    PutString(kCodecKey, "App1", "A.EXE");
    PosixRegistryMakeReadOnly(kCodecKey);
    ASSERT_TRUE(LoadSettings());
    DefaultCodecState.FastDCT = 1;
    SaveSettings();
    WriteDefaultSettings();
    EXPECT_EQ(GetValue(kCodecKey, "FastDCT").Dword(), 0u);
    EXPECT_EQ(GetValue(kCodecKey, "AppCount").Dword(), 1u);
}

TEST_F(SettingsStoreTest, TheRunningProgramIsFoundInAnySlotIgnoringCase) {
    std::string lower = OwnFileName();
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::memset(FullScreenApps, 0, sizeof FullScreenApps);
    std::strcpy(FullScreenApps[0], "OTHER.EXE");
    std::strcpy(FullScreenApps[9], (OwnFileName() + ".BAK").c_str());
    EXPECT_FALSE(IsFullScreenApp());
    std::strcpy(FullScreenApps[15], lower.c_str());
    EXPECT_TRUE(IsFullScreenApp());
    CharUpperA(FullScreenApps[15]);
    EXPECT_TRUE(IsFullScreenApp());
}

// A program's path may be up to 259 characters long. The full-screen test reads it into 256
// bytes, the YUV test into 260, so at the end of a longer path the first sees a cut name.
TEST_F(SettingsStoreTest, TheNameAtTheEndOfALongPathIsCutForTheFullScreenTestOnly) {
    const struct {
        std::size_t pathLength;
        bool fullScreen;
        bool yuvRestricted;
    } kPaths[] = {{255, true, true}, {256, false, true}, {259, false, true}, {260, false, false}};
    std::memset(FullScreenApps, 0, sizeof FullScreenApps);
    std::memset(YuvRestrictedApps, 0, sizeof YuvRestrictedApps);
    std::strcpy(FullScreenApps[0], "PREMIERE.EXE");
    std::strcpy(YuvRestrictedApps[0], "PREMIERE.EXE");
    for (const auto& p : kPaths) {
        const std::string path = "C:\\" + std::string(p.pathLength - 16, 'D') + "\\PREMIERE.EXE";
        EXPECT_EQ(path.size(), p.pathLength);
        PosixSetProcessFileName(path.c_str());
        EXPECT_EQ(IsFullScreenApp(), p.fullScreen) << p.pathLength;
        EXPECT_EQ(IsYuvRestrictedApp(), p.yuvRestricted) << p.pathLength;
    }
    PosixSetProcessFileName(nullptr);
}

}  // namespace
