#include "settings/numbered_value_name.h"

NumberedValueName MakeNumberedValueName(const char* prefix, unsigned number, unsigned base,
                                        int minimumDigits) {
    char digits[sizeof(unsigned) * 8];
    int count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[number % base];
        number /= base;
    } while (number != 0 || count < minimumDigits);

    NumberedValueName name{};
    int length = 0;
    while (*prefix != '\0') {
        name.text[length++] = *prefix++;
    }
    while (count > 0) {
        name.text[length++] = digits[--count];
    }
    return name;
}
