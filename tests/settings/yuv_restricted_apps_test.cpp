// The YUV-restricted application list: what loading keeps, what it replaces, what saving
// leaves, and which programs the test restricts. A first run is the attach test's.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/code_module.h"
#include "settings/registry_values.h"
#include "settings/yuv_restricted_apps.h"

namespace {

std::string ApplicationName(int index) {
    char name[16];
    std::snprintf(name, sizeof name, "Application%02X", index);
    return name;
}

using YuvRestrictedAppsTest = EmptyRegistryTest;

struct StoredList {
    const char* name;
    std::vector<std::pair<int, std::string>> entries;
    std::vector<std::string> listed;
};

// The names as "Application00" and on.
std::vector<std::pair<int, std::string>> Entries(const std::vector<std::string>& names) {
    std::vector<std::pair<int, std::string>> entries;
    for (const std::string& name : names) {
        entries.emplace_back(static_cast<int>(entries.size()), name);
    }
    return entries;
}

const std::string k259(259, 'N');
const std::string k260(260, 'N');

const StoredList kStoredLists[] = {
    {"NamesUpperCasedOnLoad",
     {{0, "wmplayer.exe"}, {1, "Viewer.Exe"}},
     {"WMPLAYER.EXE", "VIEWER.EXE"}},
    {"StopsAtTheFirstMissingIndex", {{0, "A.EXE"}, {2, "C.EXE"}}, {"A.EXE"}},
    {"NoEntries", {}, {}},
    {"SixteenAtMost", Entries(NumberedNames(17)), NumberedNames(16)},
    {"NameOf259Characters", {{0, k259}}, {k259}},
    {"NameOf260CharactersEndsTheList", {{0, "A.EXE"}, {1, k260}, {2, "C.EXE"}}, {"A.EXE"}},
};

class StoredListTest : public YuvRestrictedAppsTest,
                       public ::testing::WithParamInterface<StoredList> {};

TEST_P(StoredListTest, LoadsACompleteList) {
    for (const auto& [index, name] : GetParam().entries) {
        PutString(kYuvListKey, ApplicationName(index).c_str(), name);
    }
    PutDword(kYuvListKey, "Correct state", 1);
    LoadYuvRestrictedApps(CodeModule());
    EXPECT_EQ(ListedNames(YuvRestrictedApps), GetParam().listed);
    // A list that loads is not written back.
    EXPECT_EQ(GetValue(kYuvListKey, "Application00").status,
              GetParam().entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Lists, StoredListTest, ::testing::ValuesIn(kStoredLists),
                         [](const auto& info) { return std::string(info.param.name); });

struct IncompleteCase {
    const char* name;
    bool stored;
    DWORD correctState;
};

const IncompleteCase kIncompleteCases[] = {
    {"CorrectStateZero", true, 0},
    {"CorrectStateTwo", true, 2},
    {"CorrectStateMissing", false, 0},
};

class IncompleteListTest : public YuvRestrictedAppsTest,
                           public ::testing::WithParamInterface<IncompleteCase> {};

TEST_P(IncompleteListTest, IsReplacedByTheDefaultList) {
    PutString(kYuvListKey, "Application00", "A.EXE");
    PutString(kYuvListKey, "Application01", "B.EXE");
    if (GetParam().stored) {
        PutDword(kYuvListKey, "Correct state", GetParam().correctState);
    }
    LoadYuvRestrictedApps(CodeModule());
    EXPECT_EQ(ListedNames(YuvRestrictedApps), std::vector<std::string>{"WMPLAYER.EXE"});
    EXPECT_EQ(GetValue(kYuvListKey, "Application00").Bytes(), WithZero("WMPLAYER.EXE"));
    EXPECT_EQ(GetValue(kYuvListKey, "Application01").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetValue(kYuvListKey, "Correct state").Dword(), 1u);
}

INSTANTIATE_TEST_SUITE_P(States, IncompleteListTest, ::testing::ValuesIn(kIncompleteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(YuvRestrictedAppsTest, AKeyTheUserMayNotWriteGivesTheDefaultListAndKeepsItsValues) {
    PutString(kYuvListKey, "Application00", "A.EXE");
    PutDword(kYuvListKey, "Correct state", 1);
    PosixRegistryMakeReadOnly(kYuvListKey);
    std::strcpy(YuvRestrictedApps[0], "LEFTOVER.EXE");
    LoadYuvRestrictedApps(CodeModule());
    EXPECT_EQ(ListedNames(YuvRestrictedApps), std::vector<std::string>{"WMPLAYER.EXE"});
    EXPECT_EQ(GetValue(kYuvListKey, "Application00").Bytes(), WithZero("A.EXE"));
}

TEST_F(YuvRestrictedAppsTest, SavingReplacesTheWholeKey) {
    PutString(kYuvListKey, "Application05", "STALE.EXE");
    PutString(kYuvListKey, "Unrelated", "X");
    std::memset(YuvRestrictedApps, 0, sizeof YuvRestrictedApps);
    std::strcpy(YuvRestrictedApps[0], "1");
    std::strcpy(YuvRestrictedApps[1], "TWO.EXE");
    std::strcpy(YuvRestrictedApps[3], "AFTER.GAP");
    SaveYuvRestrictedApps();
    EXPECT_EQ(GetValue(kYuvListKey, "Application00").Bytes(), WithZero("1"));
    EXPECT_EQ(GetValue(kYuvListKey, "Application01").Bytes(), WithZero("TWO.EXE"));
    EXPECT_EQ(GetValue(kYuvListKey, "Application03").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetValue(kYuvListKey, "Application05").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetValue(kYuvListKey, "Unrelated").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetValue(kYuvListKey, "Correct state").Dword(), 1u);
}

TEST_F(YuvRestrictedAppsTest, OnlyTheWholeFileNameOfAListedEntryRestrictsTheProgram) {
    std::memset(YuvRestrictedApps, 0, sizeof YuvRestrictedApps);
    std::strcpy(YuvRestrictedApps[0], (OwnFileName() + ".BAK").c_str());
    EXPECT_FALSE(IsYuvRestrictedApp());
    std::strcpy(YuvRestrictedApps[0], ("FOLDER\\" + OwnFileName()).c_str());
    EXPECT_FALSE(IsYuvRestrictedApp());
    // The first empty entry ends the list.
    std::memset(YuvRestrictedApps[0], 0, kYuvRestrictedAppNameSize);
    std::strcpy(YuvRestrictedApps[1], OwnFileName().c_str());
    EXPECT_FALSE(IsYuvRestrictedApp());
    // A name stored in lower case is upper-cased on load and still matches.
    PutString(kYuvListKey, "Application00", "X");
    PutString(kYuvListKey, "Application01", OwnFileName());
    PutDword(kYuvListKey, "Correct state", 1);
    LoadYuvRestrictedApps(CodeModule());
    EXPECT_TRUE(IsYuvRestrictedApp());
}

}  // namespace
