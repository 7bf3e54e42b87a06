#include "codec/scratch_block.h"

#include <cstdint>

#include "codec/picture_rows.h"
#include "common/driver_heap.h"

namespace {

constexpr std::uintptr_t kScratchAlignment = 128;

}  // namespace

bool ScratchBlock::Reserve(const BITMAPINFOHEADER& format) {
    const std::int64_t rows = PictureRowCount(format);
    const std::int64_t width = format.biWidth;
    if (width < 0) {
        return false;  // no picture has a negative width
    }
    const std::int64_t size = format.biBitCount / 8 * rows * width;
    if (capacity_ >= size) {
        return true;
    }
    Release();
    if (!FitsIn<LONG>(size)) {
        return false;
    }
    raw_ = DriverHeapAlloc(static_cast<std::size_t>(size) + kScratchAlignment);
    if (raw_ == nullptr) {
        return false;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(raw_);
    aligned_ = static_cast<BYTE*>(raw_) +
               (kScratchAlignment - address % kScratchAlignment) % kScratchAlignment;
    capacity_ = static_cast<LONG>(size);
    return true;
}

void ScratchBlock::Release() {
    DriverHeapFree(raw_);
    raw_ = nullptr;
    aligned_ = nullptr;
    capacity_ = 0;
}
