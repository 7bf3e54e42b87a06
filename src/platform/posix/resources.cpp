#include <algorithm>
#include <cstring>

#include "platform/posix/win_functions.h"

namespace {

// The ANSI code page is Windows-1252: Latin-1 except for the printable characters it puts
// in 0x80 to 0x9F, where Latin-1 has control codes.
char16_t WindowsAnsiToUnicode(unsigned char c) {
    static constexpr char16_t kHighControls[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : static_cast<char16_t>(c);
}

}  // namespace

int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int bufferSize) {
    const char* text = PosixResourceString(id);
    if (text == nullptr || buffer == nullptr || bufferSize <= 0) {
        return 0;
    }
    const int length = std::min(static_cast<int>(std::strlen(text)), bufferSize - 1);
    std::memcpy(buffer, text, static_cast<size_t>(length));
    buffer[length] = '\0';
    return length;
}

// Windows-1252 to UTF-16. A count of -1 means "up to and including the terminator"; a result
// that does not fit fails with 0, as on Windows.
int MultiByteToWideChar(UINT, DWORD, LPCSTR multiByte, int multiByteCount, LPWSTR wide,
                        int wideCount) {
    if (multiByte == nullptr) {
        return 0;
    }
    const int count =
        multiByteCount < 0 ? static_cast<int>(std::strlen(multiByte)) + 1 : multiByteCount;
    if (wideCount == 0) {
        return count;
    }
    if (wide == nullptr || wideCount < count) {
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        wide[i] = WindowsAnsiToUnicode(static_cast<unsigned char>(multiByte[i]));
    }
    return count;
}
