// The codec's flags and full-screen list: what loading accepts, what it replaces with defaults,
// and what saving leaves in the registry.
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/codec_state.h"
#include "settings/file_name.h"
#include "settings/registry_values.h"
#include "settings/settings_store.h"

namespace {

std::vector<std::string> ListedNames() {
    std::vector<std::string> names;
    for (const char* slot : FullScreenApps) {
        names.emplace_back(slot);
    }
    while (!names.empty() && names.back().empty()) {
        names.pop_back();
    }
    return names;
}

void FillSlotsWithLeftovers() {
    for (char* slot : FullScreenApps) {
        std::strcpy(slot, "LEFTOVER.EXE");
    }
}

class SettingsStoreTest : public EmptyRegistryTest {
  protected:
    void SetUp() override {
        EmptyRegistryTest::SetUp();
        DefaultCodecState = kFactoryCodecState;
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

TEST_F(SettingsStoreTest, WithoutAKeyLoadingFailsAndTheDefaultsAreWritten) {
    FillSlotsWithLeftovers();
    EXPECT_FALSE(LoadSettings());
    WriteDefaultSettings();

    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"PREMIERE.EXE", "CLIPDESK.EXE"}));
    const struct {
        const char* name;
        DWORD value;
    } dwords[] = {{"FiltrateAlpha", 1}, {"FastDCT", 0}, {"ChangeFieldsOrder", 0}, {"AppCount", 2}};
    for (const auto& expected : dwords) {
        const StoredValue value = GetValue(kCodecKey, expected.name);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD)) << expected.name;
        EXPECT_EQ(value.data.size(), 4u) << expected.name;
        EXPECT_EQ(value.Dword(), expected.value) << expected.name;
    }
    const StoredValue app1 = GetValue(kCodecKey, "App1");
    EXPECT_EQ(app1.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(app1.Bytes(), WithZero("PREMIERE.EXE"));
    EXPECT_EQ(GetValue(kCodecKey, "App2").Bytes(), WithZero("CLIPDESK.EXE"));
    EXPECT_EQ(GetValue(kCodecKey, "App3").status, ERROR_FILE_NOT_FOUND);
    // The flags in memory are not the ones written: FastDCT stays set until the next load.
    EXPECT_EQ(DefaultCodecState.FastDCT, 1);
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(DefaultCodecState.FastDCT, 0);
}

TEST_F(SettingsStoreTest, LoadingSetsEachFlagFromWhetherItsValueIsZero) {
    PutFlags(0, 7, 0);
    PutDword(kCodecKey, "AppCount", 0);
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(DefaultCodecState.FastDCT, 0);
    EXPECT_EQ(DefaultCodecState.ChangeFieldsOrder, 1);
    EXPECT_EQ(DefaultCodecState.FiltrateAlpha, 0);
    EXPECT_EQ(DefaultCodecState.ReservedValue, kReservedStateValue);
}

// One application value as a test stores it: a string, or a value of another type.
struct AppValue {
    int number;
    std::string text;
    DWORD type = REG_SZ;
};

struct ListCase {
    const char* name;
    std::optional<LONG> appCount;  // none: no "AppCount" value at all
    std::vector<AppValue> apps;
    bool loads;
    std::vector<std::string> listed;  // after a load that succeeded
};

const std::string k63(63, 'N');
const std::string k64(64, 'N');

const ListCase kListCases[] = {
    {"TwoNames", 2, {{1, "A.EXE"}, {2, "B.EXE"}}, true, {"A.EXE", "B.EXE"}},
    {"CountBelowTheValuesStored", 1, {{1, "A.EXE"}, {2, "B.EXE"}}, true, {"A.EXE"}},
    {"CountZero", 0, {{1, "A.EXE"}}, true, {}},
    {"CountNegative", -1, {{1, "A.EXE"}}, true, {}},
    {"CountSeventeen", 17, {{1, "A.EXE"}}, false, {}},
    {"CountMissing", std::nullopt, {{1, "A.EXE"}}, false, {}},
    {"ThirdOfFiveMissing",
     5,
     {{1, "A.EXE"}, {2, "B.EXE"}, {4, "D.EXE"}, {5, "E.EXE"}},
     true,
     {"A.EXE", "B.EXE"}},
    {"SecondNotAString", 3, {{1, "A.EXE"}, {2, "B.EXE", REG_DWORD}, {3, "C.EXE"}}, true, {"A.EXE"}},
    {"NameOf63Characters", 2, {{1, "A.EXE"}, {2, k63}}, true, {"A.EXE", k63}},
    {"NameOf64Characters", 3, {{1, "A.EXE"}, {2, k64}, {3, "C.EXE"}}, true, {"A.EXE"}},
    {"LowerCaseKeptAsStored", 1, {{1, "premiere.exe"}}, true, {"premiere.exe"}},
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.name;
}

class FullScreenListTest : public SettingsStoreTest,
                           public ::testing::WithParamInterface<ListCase> {};

TEST_P(FullScreenListTest, LoadsTheNamesUpToTheFirstUnreadableOne) {
    const ListCase& c = GetParam();
    PutFlags(1, 0, 1);
    if (c.appCount) {
        PutDword(kCodecKey, "AppCount", static_cast<DWORD>(*c.appCount));
    }
    for (const AppValue& app : c.apps) {
        const std::string name = "App" + std::to_string(app.number);
        if (app.type == REG_SZ) {
            PutString(kCodecKey, name.c_str(), app.text);
        } else {
            PutDword(kCodecKey, name.c_str(), 1);
        }
    }
    FillSlotsWithLeftovers();
    ASSERT_EQ(LoadSettings(), c.loads);
    if (c.loads) {
        EXPECT_EQ(ListedNames(), c.listed);
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, FullScreenListTest, ::testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct MalformedCase {
    const char* name;
    const char* value;
    DWORD type;
    DWORD size;
};

// Any one of the four numbers unreadable makes the whole set unusable.
const MalformedCase kMalformedCases[] = {
    {"FastDctAsString", "FastDCT", REG_SZ, 2},
    {"ChangeFieldsOrderAsBinary", "ChangeFieldsOrder", REG_BINARY, 4},
    {"FiltrateAlphaTooLong", "FiltrateAlpha", REG_DWORD, 8},
    {"AppCountAsString", "AppCount", REG_SZ, 2},
    {"AppCountEmpty", "AppCount", REG_DWORD, 0},
};

void PrintTo(const MalformedCase& c, std::ostream* os) {
    *os << c.name;
}

class MalformedSettingsTest : public SettingsStoreTest,
                              public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedSettingsTest, FailsTheLoad) {
    PutFlags(1, 0, 1);
    PutDword(kCodecKey, "AppCount", 0);
    const BYTE bytes[8] = {'1', 0};
    PutValue(kCodecKey, GetParam().value, GetParam().type, bytes, GetParam().size);
    EXPECT_FALSE(LoadSettings());
}

INSTANTIATE_TEST_SUITE_P(Values, MalformedSettingsTest, ::testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsStoreTest, FlagsReadBeforeAFailureKeepTheirNewValues) {
    PutDword(kCodecKey, "FastDCT", 0);
    PutDword(kCodecKey, "ChangeFieldsOrder", 1);
    EXPECT_FALSE(LoadSettings());
    EXPECT_EQ(DefaultCodecState.FastDCT, 0);
    EXPECT_EQ(DefaultCodecState.ChangeFieldsOrder, 1);
    EXPECT_EQ(DefaultCodecState.FiltrateAlpha, 1);
}

TEST_F(SettingsStoreTest, SavingNumbersTheNamesInUseAndLeavesOlderValuesBeyondTheCount) {
    WriteDefaultSettings();
    PutString(kCodecKey, "App3", "OLD.EXE");
    std::memset(FullScreenApps, 0, sizeof FullScreenApps);
    std::strcpy(FullScreenApps[0], "FIRST.EXE");
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
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"FIRST.EXE", "THIRD.EXE"}));
}

TEST_F(SettingsStoreTest, SavingDoesNotCreateTheKey) {
    SaveSettings();
    EXPECT_FALSE(KeyExists("Software"));
}

std::string OwnFileName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return FileNamePart(path, "\\/");
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Upper(std::string text) {
    CharUpperA(text.data());
    return text;
}

TEST_F(SettingsStoreTest, TheRunningProgramIsFoundInAnySlotIgnoringCase) {
    std::memset(FullScreenApps, 0, sizeof FullScreenApps);
    std::strcpy(FullScreenApps[0], "OTHER.EXE");
    EXPECT_FALSE(IsFullScreenApp());
    std::strcpy(FullScreenApps[9], (OwnFileName() + ".BAK").c_str());
    EXPECT_FALSE(IsFullScreenApp());
    std::strcpy(FullScreenApps[15], Upper(OwnFileName()).c_str());
    EXPECT_TRUE(IsFullScreenApp());
    std::strcpy(FullScreenApps[15], Lower(OwnFileName()).c_str());
    EXPECT_TRUE(IsFullScreenApp());
}

}  // namespace
