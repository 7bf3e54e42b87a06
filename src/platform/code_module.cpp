#include "platform/code_module.h"

#ifdef _WIN32

HMODULE CodeModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&CodeModule), &module);
    return module;
}

#else

#include <dlfcn.h>

// The module handle is the address the image is mapped at, which the loader can name.
HMODULE CodeModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&CodeModule), &info) == 0) {
        return nullptr;
    }
    return static_cast<HMODULE>(info.dli_fbase);
}

#endif
