#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/win_functions.h"

namespace {
std::atomic<DebugOutputHook> gDebugOutputHook{nullptr};
}

void OutputDebugStringA(LPCSTR text) {
    if (text == nullptr) {
        return;
    }
    if (DebugOutputHook hook = gDebugOutputHook.load()) {
        hook(text);
    }
    if (std::getenv("QLNU_DEBUG_OUTPUT") != nullptr) {
        std::fputs(text, stderr);
    }
}

void SetDebugOutputHook(DebugOutputHook hook) {
    gDebugOutputHook.store(hook);
}
