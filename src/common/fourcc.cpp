#include "common/fourcc.h"

bool IsQlnuHandler(DWORD fourCC) {
    char text[5] = {};
    for (int i = 0; i < 4; ++i) {
        text[i] = static_cast<char>(fourCC >> (8 * i));
    }
    // Upper-casing stops at the first zero byte, as it does for a C string.
    for (char* c = text; *c != '\0'; ++c) {
        if (*c >= 'a' && *c <= 'z') {
            *c = static_cast<char>(*c - 'a' + 'A');
        }
    }
    return text[0] == 'Q' && text[1] == 'L' && text[2] == 'N' && text[3] == 'U';
}
