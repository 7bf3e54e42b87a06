#include "platform/code_module.h"

// Without a driver manager there is no default processing: every message it would handle
// answers 0.
LRESULT DefDriverProc(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM) {
    return 0;
}

HMODULE GetDriverModuleHandle(HDRVR) {
    return CodeModule();
}
