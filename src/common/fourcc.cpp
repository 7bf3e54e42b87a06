#include "common/fourcc.h"

// A letter and its capital differ in bit 5 only, so setting that bit in every byte turns both
// into the small letter, and no byte but those two into it: a zero byte, where upper-casing a
// string would stop, never matches.
bool IsQlnuHandler(DWORD fourCC) {
    return (fourCC | 0x20202020u) == mmioFOURCC('q', 'l', 'n', 'u');
}
