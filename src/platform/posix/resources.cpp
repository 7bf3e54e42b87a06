#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/posix/win_functions.h"

// A string of the module's table, cut to fit the buffer and terminated; the answer is the
// length copied.
int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int bufferSize) {
    const char* text = PosixResourceString(id);
    if (text == nullptr) {
        return 0;
    }
    std::snprintf(buffer, static_cast<std::size_t>(bufferSize), "%s", text);
    return static_cast<int>(std::strlen(buffer));
}

// The driver widens whole strings of its own table, terminator included, and they are ASCII,
// which Windows-1252 and UTF-16 share. A result that does not fit fails with 0, as on Windows.
int MultiByteToWideChar(UINT, DWORD, LPCSTR multiByte, int, LPWSTR wide, int wideCount) {
    const int count = static_cast<int>(std::strlen(multiByte)) + 1;
    if (count > wideCount) {
        return 0;
    }
    std::transform(multiByte, multiByte + count, wide,
                   [](char c) { return static_cast<WCHAR>(static_cast<unsigned char>(c)); });
    return count;
}
