// MMX kernels: 64-bit registers and ordinary stores. Compiled with MMX only.
#include "convert/repack_blocks_64.h"
#include "convert/repack_kernels.h"

namespace {

struct MmxAccess {
    static void Prefetch(const BYTE*) {}
    static void Store(BYTE* out, __m64 value) { std::memcpy(out, &value, sizeof value); }
    static void Finish() { _mm_empty(); }
};

}  // namespace

QLNU_DEFINE_KERNEL_64(PackYuy2Field, MMX, MmxAccess, 32, SwapBytePairs64)
QLNU_DEFINE_KERNEL_64(PackYvyuField, MMX, MmxAccess, 32, RotatePairsUp64)
QLNU_DEFINE_KERNEL_64(PackY16Field, MMX, MmxAccess, 32, PackY16Block64)
QLNU_DEFINE_KERNEL_64(PackY16AField, MMX, MmxAccess, 48, PackY16ABlock64)
QLNU_DEFINE_KERNEL_64(UnpackYvyuField, MMX, MmxAccess, 32, RotatePairsDown64)
QLNU_DEFINE_KERNEL_64(UnpackY16Field, MMX, MmxAccess, 32, UnpackY16Block64)
