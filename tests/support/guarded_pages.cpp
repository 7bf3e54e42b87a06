#include "support/guarded_pages.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
BYTE* MapPages(std::size_t bytes) {
    return static_cast<BYTE*>(
        VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}
void UnmapPages(BYTE* at, std::size_t) {
    VirtualFree(at, 0, MEM_RELEASE);
}
void MakeUnreadable(BYTE* at, std::size_t bytes) {
    DWORD previous;
    VirtualProtect(at, bytes, PAGE_NOACCESS, &previous);
}
#else
BYTE* MapPages(std::size_t bytes) {
    void* at = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return at == MAP_FAILED ? nullptr : static_cast<BYTE*>(at);
}
void UnmapPages(BYTE* at, std::size_t bytes) {
    munmap(at, bytes);
}
void MakeUnreadable(BYTE* at, std::size_t bytes) {
    mprotect(at, bytes, PROT_NONE);
}
#endif

}  // namespace

std::size_t GuardedPages::PageSize() {
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
}

GuardedPages::GuardedPages(std::size_t bytes)
    // The area rounded up to whole pages, and the guard page after it.
    : mappingBytes_((bytes + PageSize() - 1) / PageSize() * PageSize() + PageSize()),
      bytes_(bytes) {
    mapping_ = MapPages(mappingBytes_);
    if (mapping_ == nullptr) {
        throw std::runtime_error("no memory for guarded pages");
    }
    BYTE* guard = mapping_ + mappingBytes_ - PageSize();
    MakeUnreadable(guard, PageSize());
    first_ = guard - bytes;
}

GuardedPages::~GuardedPages() {
    UnmapPages(mapping_, mappingBytes_);
}

void GuardedPages::ProtectLastPages(std::size_t pages) {
    MakeUnreadable(first_ + bytes_ - pages * PageSize(), pages * PageSize());
}
