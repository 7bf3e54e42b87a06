// The module's strings as LoadStringA hands them out and MultiByteToWideChar widens them for
// the codec's information record: lengths, cuts, terminators and the Windows-1252 letters.
// Every buffer is followed by sentinels that no call may touch.
#include <gtest/gtest.h>

#include <string>

#include "platform/win_api.h"
#include "settings/resource_strings.h"

namespace {

using namespace std::string_literals;

constexpr int kSentinels = 4;

struct LoadCase {
    UINT id;
    int bufferSize;
    int length;
    std::string written;  // the bytes written, terminator included
};

const LoadCase kLoadCases[] = {
    {IDS_QLNU_NAME, 32, 4, "QLNU\0"s}, {IDS_QLNU_NAME, 5, 4, "QLNU\0"s},
    {IDS_QLNU_NAME, 4, 3, "QLN\0"s},   {IDS_QLNU_NAME, 1, 0, "\0"s},
    {IDS_QLNU_NAME, 0, 0, ""},         {99, 32, 0, ""},
};

TEST(ResourceStringTest, LoadStringCopiesWhatFitsAndEndsInsideTheBuffer) {
    for (const LoadCase& c : kLoadCases) {
        std::string buffer(static_cast<std::size_t>(c.bufferSize + kSentinels), '#');
        EXPECT_EQ(LoadStringA(nullptr, c.id, buffer.data(), c.bufferSize), c.length)
            << c.bufferSize;
        EXPECT_EQ(buffer, c.written + std::string(buffer.size() - c.written.size(), '#'))
            << c.bufferSize;
    }
}

struct WidenCase {
    int count;
    int wideCount;
    int result;
    std::u16string written;
};

// 0x80 to 0x9F are letters and signs in Windows-1252, the bytes around them are Latin-1.
const std::string kAnsi = "A\x7F\x80\x99\x9F\xA0\xFF";
const std::u16string kWide = u"A\u007F\u20AC\u2122\u0178\u00A0\u00FF"s + u'\0';

const WidenCase kWidenCases[] = {
    {-1, 8, 8, kWide},
    {-1, 0, 8, u""},  // the size only
    {-1, 7, 0, u""},  // one short: nothing is written
    {2, 2, 2, kWide.substr(0, 2)},
};

TEST(ResourceStringTest, MultiByteToWideCharMapsWindows1252AndCountsTheTerminator) {
    for (const WidenCase& c : kWidenCases) {
        std::u16string wide(static_cast<std::size_t>(c.wideCount + kSentinels), u'#');
        EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kAnsi.c_str(), c.count, wide.data(), c.wideCount),
                  c.result)
            << c.wideCount;
        EXPECT_EQ(wide, c.written + std::u16string(wide.size() - c.written.size(), u'#'))
            << c.wideCount;
    }
}

}  // namespace
