#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "platform/posix/refusal.h"
#include "platform/posix/win_functions.h"

namespace {

// A growable private heap over malloc that remembers its blocks, so that destroying it frees
// everything still allocated from it, as a Win32 private heap does.
struct PrivateHeap {
    std::mutex lock;
    std::unordered_set<void*> liveBlocks;
};

PrivateHeap* AsHeap(HANDLE heap) {
    return static_cast<PrivateHeap*>(heap);
}

// Heap fault injection for tests: the allocations still to go before one is refused.
std::atomic<SIZE_T> gAllocationsBeforeRefusal{};

}  // namespace

HANDLE HeapCreate(DWORD, SIZE_T, SIZE_T) {
    return new (std::nothrow) PrivateHeap;
}

// The driver never hands these calls a heap that was not created, allocates no empty block and
// frees no null one; a block the heap does not know is refused.
LPVOID HeapAlloc(HANDLE heap, DWORD, SIZE_T bytes) {
    if (IsRefusedCall(gAllocationsBeforeRefusal)) {
        return nullptr;
    }
    void* block = std::malloc(bytes);
    if (block != nullptr) {
        std::lock_guard guard(AsHeap(heap)->lock);
        AsHeap(heap)->liveBlocks.insert(block);
    }
    return block;
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID block) {
    std::lock_guard guard(AsHeap(heap)->lock);
    if (AsHeap(heap)->liveBlocks.erase(block) == 0) {
        return FALSE;
    }
    std::free(block);
    return TRUE;
}

BOOL HeapDestroy(HANDLE heap) {
    for (void* block : AsHeap(heap)->liveBlocks) {
        std::free(block);
    }
    delete AsHeap(heap);
    return TRUE;
}

SIZE_T PosixHeapLiveBlockCount(HANDLE heap) {
    std::lock_guard guard(AsHeap(heap)->lock);
    return AsHeap(heap)->liveBlocks.size();
}

void PosixHeapRefuseAllocation(SIZE_T nth) {
    gAllocationsBeforeRefusal = nth;
}

bool PosixHeapRefusalPending() {
    return gAllocationsBeforeRefusal != 0;
}
