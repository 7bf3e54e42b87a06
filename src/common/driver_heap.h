// The driver's private heap: every allocation of the driver comes from it, and destroying it
// at process detach takes everything still allocated with it.
#pragma once

#include <cstddef>

#include "platform/win_api.h"

extern HANDLE ghDriverHeap;

void CreateDriverHeap();
void DestroyDriverHeap();

// Plain allocation: nothing is zeroed, and failure answers null.
void* DriverHeapAlloc(std::size_t bytes);
void DriverHeapFree(void* block);

// Base of every class the driver makes on its heap (instances, sessions, converters,
// renderers). `new` answers null when the heap is out of memory, and `delete` through the
// virtual destructor gives the block back to the heap.
class HeapObject {
public:
    virtual ~HeapObject() = default;

    static void* operator new(std::size_t bytes) noexcept { return DriverHeapAlloc(bytes); }
    static void operator delete(void* block) { DriverHeapFree(block); }
};
