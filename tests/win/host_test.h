// A small harness for host programs that drive the driver DLL through Wine's Video for Windows
// libraries, as real hosts do. Each program ends with the "N passed, N failed" line.
#pragma once

#include <windows.h>
// windows.h must come first.
#include <vfw.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "formats/format_builder.h"

namespace host_test {

// Hosts may check from several threads.
inline std::atomic<int> gPassed{0};
inline std::atomic<int> gFailed{0};

inline void Check(bool ok, const char* what, const char* file, int line) {
    if (ok) {
        ++gPassed;
    } else {
        ++gFailed;
        std::printf("FAILED %s:%d: %s\n", file, line, what);
    }
}

template <typename A, typename B>
void CheckEqual(const A& actual, const B& expected, const char* what, const char* file, int line) {
    const bool ok = static_cast<long long>(actual) == static_cast<long long>(expected);
    Check(ok, what, file, line);
    if (!ok) {
        std::printf("  actual %lld, expected %lld\n", static_cast<long long>(actual),
                    static_cast<long long>(expected));
    }
}

inline int Finish() {
    std::printf("%d passed, %d failed\n", gPassed.load(), gFailed.load());
    std::fflush(stdout);
    return gFailed == 0 ? 0 : 1;
}

inline std::string ProgramPath() {
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

// The folder this program runs from, with its trailing backslash.
inline std::string ProgramFolder() {
    const std::string path = ProgramPath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

inline std::string NarrowText(const WCHAR* text) {
    std::string narrow;
    for (; *text != 0; ++text) {
        narrow += static_cast<char>(*text);
    }
    return narrow;
}

inline constexpr DWORD kQlnu = mmioFOURCC('Q', 'L', 'N', 'U');

// Installs the driver DLL that sits beside this program, as a setup program would.
inline bool InstallDriver() {
    static std::string path = ProgramFolder() + "qlnu.dll";
    return ICInstall(ICTYPE_VIDEO, kQlnu, reinterpret_cast<LPARAM>(path.c_str()), nullptr,
                     ICINSTALL_DRIVER) != FALSE;
}

inline bool RemoveDriver() {
    return ICRemove(ICTYPE_VIDEO, kQlnu, 0) != FALSE;
}

}  // namespace host_test

#define CHECK(condition) host_test::Check((condition), #condition, __FILE__, __LINE__)
#define CHECK_EQ(actual, expected) \
    host_test::CheckEqual((actual), (expected), #actual " == " #expected, __FILE__, __LINE__)
