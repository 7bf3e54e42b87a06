#include "codec/fast_copy.h"

#include <atomic>
#include <cstring>
#include <iterator>

#include "codec/fast_copy_variants.h"
#include "convert/mmx_state.h"
#include "platform/fault_guard.h"

namespace {

void ResolveFastCopy(void* destination, const void* source, DWORD count);
FieldKernelFunction ResolveFastCopyField;

// Holds the resolver until the first copy, then the variant for the processor; two threads
// resolving at once store the same value.
std::atomic<CopyFunction> gFastCopySlot{ResolveFastCopy};

void ResolveFastCopy(void* destination, const void* source, DWORD count) {
    const CopyFunction variant = CopyFunctionFor(CopyVariantFor(GetCpuClass()));
    gFastCopySlot.store(variant, std::memory_order_release);
    variant(destination, source, count);
}

std::atomic<FieldKernel> gFastCopyFieldSlot{ResolveFastCopyField};

void ResolveFastCopyField(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    const FieldKernel variant = FieldCopyFunctionFor(CopyVariantFor(GetCpuClass()));
    gFastCopyFieldSlot.store(variant, std::memory_order_release);
    variant(destination, source, width, rows, destinationStride, sourceStride);
}

}  // namespace

void FastCopy_Plain(void* destination, const void* source, DWORD count) {
    BYTE* out = static_cast<BYTE*>(destination);
    const BYTE* in = static_cast<const BYTE*>(source);
    for (DWORD word = count / 4; word > 0; --word) {
        std::uint32_t value;
        std::memcpy(&value, in, sizeof value);
        std::memcpy(out, &value, sizeof value);
        in += 4;
        out += 4;
    }
    for (DWORD byte = count % 4; byte > 0; --byte) {
        *out++ = *in++;
    }
}

void FastCopyField_Plain(BYTE* destination, const BYTE* source, int width, int rows,
                         int destinationStride, int sourceStride) {
    for (int row = 0; row < rows; ++row) {
        FastCopy_Plain(destination, source, static_cast<DWORD>(2 * width));
        destination += destinationStride;
        source += sourceStride;
    }
}

// Each copy variant's block and field entries, in the order of CopyVariant.
struct CopyVariantEntries {
    CopyFunction copy;
    FieldKernel field;
};

constexpr CopyVariantEntries kCopyVariants[] = {
    {FastCopy_Plain, FastCopyField_Plain},
    {FastCopy_MMX, FastCopyField_MMX},
    {FastCopy_Streaming, FastCopyField_Streaming},
    {FastCopy_StreamingSparse, FastCopyField_StreamingSparse},
    {FastCopy_StreamingDescending, FastCopyField_StreamingDescending},
};
static_assert(std::size(kCopyVariants) ==
              static_cast<std::size_t>(CopyVariant::StreamingDescending) + 1);

CopyFunction CopyFunctionFor(CopyVariant variant) {
    return kCopyVariants[static_cast<std::size_t>(variant)].copy;
}

FieldKernel FieldCopyFunctionFor(CopyVariant variant) {
    return kCopyVariants[static_cast<std::size_t>(variant)].field;
}

void FastCopy(void* destination, const void* source, DWORD count) {
    const CopyFunction copy = gFastCopySlot.load(std::memory_order_acquire);
    const bool completed = RunGuarded([&] { copy(destination, source, count); });
    // An 8-byte variant cut short never reached its EMMS.
    if (!completed && gFastCopySlot.load(std::memory_order_acquire) != FastCopy_Plain) {
        EmptyMmxState();
    }
}

CopyFunction FastCopySlotForTesting() {
    return gFastCopySlot.load(std::memory_order_acquire);
}

bool FastCopySlotHoldsResolverForTesting() {
    return FastCopySlotForTesting() == ResolveFastCopy;
}

void ResetFastCopySlotForTesting() {
    gFastCopySlot.store(ResolveFastCopy, std::memory_order_release);
}

void FastCopyField(BYTE* destination, const BYTE* source, int width, int rows,
                   int destinationStride, int sourceStride) {
    const FieldKernel copy = gFastCopyFieldSlot.load(std::memory_order_acquire);
    const bool completed = RunGuarded(
        [&] { copy(destination, source, width, rows, destinationStride, sourceStride); });
    if (!completed && gFastCopyFieldSlot.load(std::memory_order_acquire) != FastCopyField_Plain) {
        EmptyMmxState();
    }
}
