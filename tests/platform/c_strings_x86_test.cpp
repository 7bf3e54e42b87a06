// The C string functions the 32-bit DLL carries instead of importing msvcrt.dll, held to what the
// C standard says of them, with sentinel bytes around every destination. This program links
// them the way the DLL does, so the names below are theirs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Called through pointers, so that the compiler cannot answer in their place.
void* (*volatile gMove)(void*, const void*, std::size_t) = std::memmove;
std::size_t (*volatile gLength)(const char*) = std::strlen;
int (*volatile gCompare)(const char*, const char*) = std::strcmp;
char* (*volatile gFind)(char*, int) = std::strchr;
char* (*volatile gCopy)(char*, const char*, std::size_t) = std::strncpy;

TEST(CStrings, MoveCopiesExactlyCountBytesEitherWayOverOverlaps) {
    // (destination offset, source offset, count) in a buffer of "0123456789".
    const struct {
        int to, from, count;
        const char* expected;
    } cases[] = {{0, 5, 5, "5678956789"}, {5, 0, 5, "0123401234"}, {1, 0, 7, "0012345689"},
                 {0, 1, 7, "1234567789"}, {3, 3, 4, "0123456789"}, {2, 8, 0, "0123456789"}};
    for (const auto& c : cases) {
        char buffer[] = "#0123456789#";
        EXPECT_EQ(gMove(buffer + 1 + c.to, buffer + 1 + c.from, c.count), buffer + 1 + c.to);
        EXPECT_EQ(std::string(buffer), "#" + std::string(c.expected) + "#") << c.to << c.from;
    }
}

TEST(CStrings, LengthCompareAndFind) {
    EXPECT_EQ(gLength(""), 0u);
    EXPECT_EQ(gLength("PREMIERE.EXE"), 12u);
    const struct {
        const char *left, *right;
        int sign;
    } comparisons[] = {{"abc", "abc", 0}, {"abc", "abd", -1}, {"abd", "abc", 1}, {"ab", "abc", -1},
                       {"abc", "ab", 1},  {"\xff", "a", 1},   {"", "", 0}};
    for (const auto& c : comparisons) {
        const int result = gCompare(c.left, c.right);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.left << " " << c.right;
    }
    char path[] = "C:\\Programs\\x.exe";
    EXPECT_EQ(gFind(path, '\\'), path + 2);
    EXPECT_EQ(gFind(path, '/'), nullptr);
    EXPECT_EQ(gFind(path, '\0'), path + sizeof path - 1);
}

TEST(CStrings, CopyPadsWithZerosAndStopsAtCount) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(gCopy(buffer, "ab", 5), buffer);
    EXPECT_EQ(std::string(buffer, 8), std::string("ab\0\0\0###", 8));
    std::memset(buffer, '#', sizeof buffer);
    gCopy(buffer, "abcdefgh", 5);
    EXPECT_EQ(std::string(buffer, 8), "abcde###");
}

}  // namespace
