// AMD extended-MMX kernels: 64-bit registers, prefetch 128 bytes ahead, non-temporal 64-bit
// stores and a store fence. Compiled with MMX and SSE enabled, because the compiler offers
// the extended-MMX instructions only under SSE, but uses only what processors of the AMD
// extended-MMX classes have: prefetch, streaming 64-bit stores and the store fence.
#include <xmmintrin.h>

#include "convert/repack_blocks_64.h"
#include "convert/repack_kernels.h"

namespace {

struct AmdAccess {
    static void Prefetch(const BYTE* in) {
        _mm_prefetch(reinterpret_cast<const char*>(in) + 128, _MM_HINT_NTA);
    }
    static void Store(BYTE* out, __m64 value) {
        _mm_stream_pi(reinterpret_cast<__m64*>(out), value);
    }
    static void Finish() {
        _mm_sfence();
        _mm_empty();
    }
};

}  // namespace

QLNU_DEFINE_KERNEL_64(PackYuy2Field, AMD, AmdAccess, 32, SwapBytePairs64)
QLNU_DEFINE_KERNEL_64(PackYvyuField, AMD, AmdAccess, 32, RotatePairsUp64)
QLNU_DEFINE_KERNEL_64(PackY16Field, AMD, AmdAccess, 32, PackY16Block64)
QLNU_DEFINE_KERNEL_64(PackY16AField, AMD, AmdAccess, 48, PackY16ABlock64)
QLNU_DEFINE_KERNEL_64(UnpackYvyuField, AMD, AmdAccess, 32, RotatePairsDown64)
QLNU_DEFINE_KERNEL_64(UnpackY16Field, AMD, AmdAccess, 32, UnpackY16Block64)
