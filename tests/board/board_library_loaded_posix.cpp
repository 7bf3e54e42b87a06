#include <dlfcn.h>

#include "board_library_loaded.h"

bool BoardLibraryIsLoaded() {
    void* handle = dlopen("libqlninter.so", RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) {
        dlclose(handle);
    }
    return handle != nullptr;
}
