// SSE kernels: 64-bit registers, prefetch 96 bytes ahead, non-temporal 64-bit stores and a
// store fence. Compiled with MMX and SSE.
#include <xmmintrin.h>

#include "convert/repack_blocks_64.h"
#include "convert/repack_kernels.h"

namespace {

struct SseAccess {
    static void Prefetch(const BYTE* in) {
        _mm_prefetch(reinterpret_cast<const char*>(in) + 96, _MM_HINT_NTA);
    }
    static void Store(BYTE* out, __m64 value) {
        _mm_stream_pi(reinterpret_cast<__m64*>(out), value);
    }
    static void Finish() {
        _mm_sfence();
        _mm_empty();
    }
};

// "Y16A" goes two blocks (96 source bytes) per turn, prefetching 48 and 80 bytes past them.
void PackY16ATwoBlocks(BYTE* out, const BYTE* in) {
    _mm_prefetch(reinterpret_cast<const char*>(in) + 96 + 48, _MM_HINT_NTA);
    _mm_prefetch(reinterpret_cast<const char*>(in) + 96 + 80, _MM_HINT_NTA);
    PackY16ABlock64<SseAccess>(out, in);
    PackY16ABlock64<SseAccess>(out + 32, in + 48);
}

void PackY16ARow(BYTE* out, const BYTE* in, unsigned blocks) {
    for (; blocks >= 2; blocks -= 2) {
        PackY16ATwoBlocks(out, in);
        in += 96;
        out += 64;
    }
    if (blocks == 1) {
        PackY16ABlock64<SseAccess>(out, in);
    }
}

}  // namespace

QLNU_DEFINE_KERNEL_64(PackYuy2Field, SSE, SseAccess, 32, SwapBytePairs64)
QLNU_DEFINE_KERNEL_64(PackYvyuField, SSE, SseAccess, 32, RotatePairsUp64)
QLNU_DEFINE_KERNEL_64(PackY16Field, SSE, SseAccess, 32, PackY16Block64)
QLNU_DEFINE_KERNEL_64(UnpackYvyuField, SSE, SseAccess, 32, RotatePairsDown64)
QLNU_DEFINE_KERNEL_64(UnpackY16Field, SSE, SseAccess, 32, UnpackY16Block64)

void PackY16AField_SSE(BYTE* destination, const BYTE* source, int width, int rows,
                       int destinationStride, int sourceStride) {
    const unsigned blocks = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        PackY16ARow(destination + static_cast<std::ptrdiff_t>(row) * destinationStride,
                    source + static_cast<std::ptrdiff_t>(row) * sourceStride, blocks);
    }
    SseAccess::Finish();
}
