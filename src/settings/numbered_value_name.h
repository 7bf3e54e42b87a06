// Registry value names made of a prefix and a number, such as "App3" or "Application0A".
// Written digit by digit: the 32-bit driver links none of the C library's formatted printing.
#pragma once

struct NumberedValueName {
    char text[16];
};

// `prefix` followed by `number` in `base` (10 or 16, upper-case digits), with leading zeros up
// to `minimumDigits`. The prefix and the digits together must fit in 15 characters.
NumberedValueName MakeNumberedValueName(const char* prefix, unsigned number, unsigned base,
                                        int minimumDigits);
