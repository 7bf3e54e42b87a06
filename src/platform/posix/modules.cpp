#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
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

// Only the process is asked for its file name: the driver names no other module on POSIX.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (module != nullptr) {
        return 0;
    }
    if (!gProcessFileName.empty()) {
        return CopyModuleName(gProcessFileName.c_str(), fileName, size);
    }
    std::error_code error;
    const std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    return error ? 0 : CopyModuleName(path.c_str(), fileName, size);
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    return static_cast<HMODULE>(dlopen(SharedObjectName(fileName).c_str(), RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

BOOL FreeLibrary(HMODULE module) {
    dlclose(module);
    return TRUE;
}

void PosixSetProcessFileName(LPCSTR path) {
    gProcessFileName = path != nullptr ? path : "";
}
