#include "platform/processors.h"

#include <atomic>

namespace {
std::atomic<DWORD> gProcessorCountOverride{};
}

DWORD ProcessorCount() {
    if (const DWORD count = gProcessorCountOverride.load(); count != 0) {
        return count;
    }
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

void SetProcessorCountForTesting(DWORD count) {
    gProcessorCountOverride.store(count);
}
