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

using YuvRestrictedAppsTest = EmptyRegistryTest;

// The names stored as "Application00" and on; an empty one is left out.
struct StoredList {
    const char* name;
    std::vector<std::string> stored;
    std::vector<std::string> listed;
};

const std::string k259(259, 'N');
const std::string k260(260, 'N');

const StoredList kStoredLists[] = {
    {"NamesUpperCasedOnLoad", {"wmplayer.exe", "Viewer.Exe"}, {"WMPLAYER.EXE", "VIEWER.EXE"}},
    // Windows-1252 letters: those with capitals (from the ends of their ranges) and signs and
    // letters without them, on each side of those ranges.
    {"LettersOfTheAnsiCodePageUpperCased",
     {"`az{\xDE\xDF\xE0\xF7\xFE\xFF\x99\x9A\x9C\x9E\x9F.exe"},
     {"`AZ{\xDE\xDF\xC0\xF7\xDE\x9F\x99\x8A\x8C\x8E\x9F.EXE"}},
    {"StopsAtTheFirstMissingIndex", {"A.EXE", "", "C.EXE"}, {"A.EXE"}},
    {"NoEntries", {}, {}},
    {"SixteenAtMost", NumberedNames(17), NumberedNames(16)},
    {"NameOf259Characters", {k259}, {k259}},
    {"NameOf260CharactersEndsTheList", {"A.EXE", k260, "C.EXE"}, {"A.EXE"}},
};

TEST_F(YuvRestrictedAppsTest, LoadsACompleteList) {
    for (const StoredList& list : kStoredLists) {
        ExpectHandlesClosedAndReset();
        for (std::size_t index = 0; index < list.stored.size(); ++index) {
            char name[32];
            std::snprintf(name, sizeof name, "Application%02zX", index);
            if (!list.stored[index].empty()) {
                PutString(kYuvListKey, name, list.stored[index]);
            }
        }
        PutDword(kYuvListKey, "Correct state", 1);
        LoadYuvRestrictedApps(CodeModule());
        EXPECT_EQ(ListedNames(YuvRestrictedApps), list.listed) << list.name;
        // A list that loads is not written back.
        EXPECT_EQ(GetValue(kYuvListKey, "Application00").status,
                  list.stored.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS)
            << list.name;
    }
}

// A "Correct state" of 0, of 2, of no bytes (-2) or missing (-1).
TEST_F(YuvRestrictedAppsTest, AListNotMarkedCorrectIsReplacedByTheDefaultList) {
    for (const int correctState : {0, 2, -2, -1}) {
        ExpectHandlesClosedAndReset();
        PutString(kYuvListKey, "Application00", "A.EXE");
        PutString(kYuvListKey, "Application01", "B.EXE");
        if (correctState >= 0) {
            PutDword(kYuvListKey, "Correct state", static_cast<DWORD>(correctState));
        } else if (correctState == -2) {
            PutValue(kYuvListKey, "Correct state", REG_DWORD, nullptr, 0);
        }
        LoadYuvRestrictedApps(CodeModule());
        SCOPED_TRACE(correctState);
        EXPECT_EQ(ListedNames(YuvRestrictedApps), std::vector<std::string>{"WMPLAYER.EXE"});
        EXPECT_EQ(GetValue(kYuvListKey, "Application00").Bytes(), WithZero("WMPLAYER.EXE"));
        EXPECT_EQ(GetValue(kYuvListKey, "Application01").status, ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(GetValue(kYuvListKey, "Correct state").Dword(), 1u);
    }
}

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

// A save whose first or second name cannot be written leaves no "Correct state", so the next
// load restores the default list rather than take the names written so far for the whole one.
TEST_F(YuvRestrictedAppsTest, ASaveThatFailsPartWayIsNotMarkedCorrect) {
    for (const SIZE_T refusedWrite : {1, 2}) {
        ExpectHandlesClosedAndReset();
        std::memset(YuvRestrictedApps, 0, sizeof YuvRestrictedApps);
        for (const std::string& name : NumberedNames(3)) {
            std::strcpy(YuvRestrictedApps[name[0] - '0'], name.c_str());
        }
        PosixRegistryRefuseWrite(refusedWrite);
        SaveYuvRestrictedApps();
        EXPECT_EQ(GetValue(kYuvListKey, "Correct state").status, ERROR_FILE_NOT_FOUND);
        LoadYuvRestrictedApps(CodeModule());
        EXPECT_EQ(ListedNames(YuvRestrictedApps), std::vector<std::string>{"WMPLAYER.EXE"});
    }
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
