// Memory that ends exactly where an unreadable page begins, so that any read past the end
// faults; pages at its end can also be made unreadable later, to fault part-way through.
#pragma once

#include <cstddef>

#include "platform/win_api.h"

class GuardedPages {
public:
    // `bytes` readable (and writable) bytes whose last byte lies just before a guard page.
    explicit GuardedPages(std::size_t bytes);
    ~GuardedPages();
    GuardedPages(const GuardedPages&) = delete;
    GuardedPages& operator=(const GuardedPages&) = delete;

    BYTE* data() const { return first_; }
    std::size_t size() const { return bytes_; }
    static std::size_t PageSize();

    // Makes the last `pages` whole pages of the area unreadable too.
    void ProtectLastPages(std::size_t pages);

private:
    BYTE* mapping_;
    std::size_t mappingBytes_;
    BYTE* first_;
    std::size_t bytes_;
};
