#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/code_module.h"
#include "platform/posix/win_functions.h"

// A string of the driver's table, cut to fit the buffer and terminated; the answer is the
// length copied. Only the driver's own module has the table.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferSize) {
    const char* text = PosixResourceString(id);
    if (instance != CodeModule() || text == nullptr) {
        return 0;
    }
    std::snprintf(buffer, static_cast<std::size_t>(bufferSize), "%s", text);
    return static_cast<int>(std::strlen(buffer));
}

// The driver widens whole strings of its own table, terminator included, into fields that
// hold them; they are ASCII, which Windows-1252 and UTF-16 share. A longer string is cut to the
// field.
int MultiByteToWideChar(UINT, DWORD, LPCSTR multiByte, int, LPWSTR wide, int wideCount) {
    const int count = std::min(static_cast<int>(std::strlen(multiByte)) + 1, wideCount);
    std::transform(multiByte, multiByte + count, wide,
                   [](char c) { return static_cast<WCHAR>(static_cast<unsigned char>(c)); });
    return count;
}
