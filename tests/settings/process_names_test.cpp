// How the application lists reduce a module path to a file name and compare names.
#include <gtest/gtest.h>

#include "settings/file_name.h"

namespace {

struct FileNameCase {
    const char* path;
    const char* separators;
    const char* name;
};

const FileNameCase kFileNameCases[] = {
    {"C:\\Program Files\\Editor\\premiere.exe", "\\/:", "premiere.exe"},
    {"C:premiere.exe", "\\/:", "premiere.exe"},
    {"C:premiere.exe", "\\/", "C:premiere.exe"},
    {"/opt/editor/premiere.exe", "\\/", "premiere.exe"},
    {"premiere.exe", "\\/", "premiere.exe"},
    {"C:\\folder\\", "\\/", ""},
    {"", "\\/", ""},
};

TEST(FileNamePartTest, KeepsWhatFollowsTheLastSeparator) {
    for (const FileNameCase& c : kFileNameCases) {
        EXPECT_STREQ(FileNamePart(c.path, c.separators), c.name) << c.path;
    }
}

struct CompareCase {
    const char* first;
    const char* second;
    int sign;
};

const CompareCase kCompareCases[] = {
    {"WMPLAYER.EXE", "wmplayer.exe", 0},
    {"WmPlayer.Exe", "WMPLAYER.EXE", 0},
    {"wmplayer.exe.bak", "WMPLAYER.EXE", 1},
    {"WMPLAYER.EX", "wmplayer.exe", -1},
    {"", "", 0},
    {"", "A", -1},
    {"\xE9t\xE9.exe", "\xC9T\xC9.EXE", 0},  // Windows-1252 accented letters
    {"\xFF", "\x9F", 0},
};

TEST(NameCompareTest, IgnoresLetterCase) {
    for (const CompareCase& c : kCompareCases) {
        const int result = lstrcmpiA(c.first, c.second);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.first << " / " << c.second;
    }
}

}  // namespace
