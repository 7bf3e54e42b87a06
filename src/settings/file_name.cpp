#include "settings/file_name.h"

#include <cstring>

LPCSTR FileNamePart(LPCSTR path, LPCSTR separators) {
    LPCSTR name = path;
    for (LPCSTR c = path; *c != '\0'; ++c) {
        if (std::strchr(separators, *c) != nullptr) {
            name = c + 1;
        }
    }
    return name;
}
