// ANSI string calls for the Windows-1252 code page, the one the driver's names are written in.
#include "platform/posix/win_functions.h"

namespace {

// The upper-case letter of a Windows-1252 character, or the character itself.
unsigned char UpperCase1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') {
        return static_cast<unsigned char>(c - 'a' + 'A');
    }
    // The accented letters 0xE0 to 0xFE (without the division sign) sit 0x20 above their
    // capitals; four more letters have their capitals elsewhere in the 0x80 row.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
        return static_cast<unsigned char>(c - 0x20);
    }
    switch (c) {
        case 0x9A:  // s caron
        case 0x9C:  // oe ligature
        case 0x9E:  // z caron
            return static_cast<unsigned char>(c - 0x10);
        case 0xFF:  // y diaeresis
            return 0x9F;
        default:
            return c;
    }
}

}  // namespace

LPSTR CharUpperA(LPSTR text) {
    for (char* c = text; *c != '\0'; ++c) {
        *c = static_cast<char>(UpperCase1252(static_cast<unsigned char>(*c)));
    }
    return text;
}

// Equality is Windows' own; the order of unequal strings is that of their upper-cased bytes,
// where Windows would sort by language rules. The driver compares no null strings.
int lstrcmpiA(LPCSTR first, LPCSTR second) {
    const auto* a = reinterpret_cast<const unsigned char*>(first);
    const auto* b = reinterpret_cast<const unsigned char*>(second);
    while (*a != '\0' && UpperCase1252(*a) == UpperCase1252(*b)) {
        ++a;
        ++b;
    }
    return UpperCase1252(*a) - UpperCase1252(*b);
}
