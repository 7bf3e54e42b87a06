#include "codec/fast_copy.h"

#include <atomic>
#include <cstring>

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

CopyFunction CopyFunctionFor(CopyVariant variant) {
    switch (variant) {
        case CopyVariant::Mmx:
            return FastCopy_MMX;
        case CopyVariant::Streaming:
            return FastCopy_Streaming;
        case CopyVariant::StreamingSparse:
            return FastCopy_StreamingSparse;
        case CopyVariant::StreamingDescending:
            return FastCopy_StreamingDescending;
        case CopyVariant::Plain:
            break;
    }
    return FastCopy_Plain;
}

FieldKernel FieldCopyFunctionFor(CopyVariant variant) {
    switch (variant) {
        case CopyVariant::Mmx:
            return FastCopyField_MMX;
        case CopyVariant::Streaming:
            return FastCopyField_Streaming;
        case CopyVariant::StreamingSparse:
            return FastCopyField_StreamingSparse;
        case CopyVariant::StreamingDescending:
            return FastCopyField_StreamingDescending;
        case CopyVariant::Plain:
            break;
    }
    return FastCopyField_Plain;
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
