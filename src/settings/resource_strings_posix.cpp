// The string table that the resource script gives the Windows DLL, compiled in for POSIX.
#include "platform/win_api.h"
#include "settings/resource_strings.h"

LPCSTR PosixResourceString(UINT id) {
    switch (id) {
#define QLNU_STRING_CASE(id, text) \
    case id:                       \
        return text;
        QLNU_STRING_TABLE(QLNU_STRING_CASE)
#undef QLNU_STRING_CASE
    }
    return nullptr;
}
