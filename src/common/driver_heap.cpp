#include "common/driver_heap.h"

HANDLE ghDriverHeap = nullptr;

namespace {
constexpr SIZE_T kInitialHeapSize = 0x10000;
}

void CreateDriverHeap() {
    ghDriverHeap = HeapCreate(0, kInitialHeapSize, 0);
}

void DestroyDriverHeap() {
    if (ghDriverHeap != nullptr) {
        HeapDestroy(ghDriverHeap);
        ghDriverHeap = nullptr;
    }
}

void* DriverHeapAlloc(std::size_t bytes) {
    return ghDriverHeap != nullptr ? HeapAlloc(ghDriverHeap, 0, bytes) : nullptr;
}

// A null block is freed as the heap frees it: not at all.
void DriverHeapFree(void* block) {
    if (ghDriverHeap != nullptr) {
        HeapFree(ghDriverHeap, 0, block);
    }
}
