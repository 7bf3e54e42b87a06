// How the application lists reduce a module path to a file name.
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

}  // namespace
