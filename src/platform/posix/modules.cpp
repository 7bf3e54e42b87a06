#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "platform/posix/win_functions.h"

namespace {

// The path the process answers for itself when a test has set one.
std::string gProcessFileName;

// Copies a name with GetModuleFileNameA's rules: a result cut to fit is still terminated, and
// the answer is then the buffer size.
DWORD CopyModuleName(const char* name, LPSTR fileName, DWORD size) {
    const auto length = static_cast<DWORD>(std::snprintf(fileName, size, "%s", name));
    return std::min(length, size);
}

std::string SharedObjectName(LPCSTR windowsName) {
    std::string name(windowsName);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && lstrcmpiA(name.c_str() + dot, ".DLL") == 0) {
        name.erase(dot);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return "lib" + name + ".so";
    }
    return name;
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (module == nullptr && !gProcessFileName.empty()) {
        return CopyModuleName(gProcessFileName.c_str(), fileName, size);
    }
    if (module == nullptr) {
        char path[4096];
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        if (length < 0) {
            return 0;
        }
        path[length] = '\0';
        return CopyModuleName(path, fileName, size);
    }
    // The driver's own module handle is the address its image is mapped at (CodeModule),
    // so the loader can name the file that holds it.
    Dl_info info{};
    if (dladdr(module, &info) == 0 || info.dli_fname == nullptr) {
        return 0;
    }
    return CopyModuleName(info.dli_fname, fileName, size);
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr) {
        return nullptr;
    }
    return static_cast<HMODULE>(dlopen(SharedObjectName(fileName).c_str(), RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (module == nullptr || name == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

BOOL FreeLibrary(HMODULE module) {
    return module != nullptr && dlclose(module) == 0;
}

void PosixSetProcessFileName(LPCSTR path) {
    gProcessFileName = path != nullptr ? path : "";
}
