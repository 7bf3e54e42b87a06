// The few C library functions the 32-bit driver calls, so that it imports nothing from
// msvcrt.dll: the first Windows 95 release does not have that DLL. The linker takes these
// before it searches the import library, and the DLL check names any other C function that
// would bring msvcrt.dll back.

extern "C" {

void* memmove(void* destination, const void* source, __SIZE_TYPE__ count) {
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        for (__SIZE_TYPE__ i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    } else {
        while (count-- > 0) {
            to[count] = from[count];
        }
    }
    return destination;
}

__SIZE_TYPE__ strlen(const char* text) {
    __SIZE_TYPE__ length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

int strcmp(const char* left, const char* right) {
    while (*left != '\0' && *left == *right) {
        ++left;
        ++right;
    }
    return static_cast<unsigned char>(*left) - static_cast<unsigned char>(*right);
}

char* strchr(const char* text, int character) {
    for (;; ++text) {
        if (*text == static_cast<char>(character)) {
            return const_cast<char*>(text);
        }
        if (*text == '\0') {
            return nullptr;
        }
    }
}

// Copies at most `count` characters and pads the rest of the `count` bytes with zeros.
char* strncpy(char* destination, const char* source, __SIZE_TYPE__ count) {
    __SIZE_TYPE__ i = 0;
    for (; i < count && source[i] != '\0'; ++i) {
        destination[i] = source[i];
    }
    for (; i < count; ++i) {
        destination[i] = '\0';
    }
    return destination;
}

}  // extern "C"
