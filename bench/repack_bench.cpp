// The packed-YUV packers and unpackers in every variant and through their dispatchers, beside
// the fastest equivalent paths of libyuv and libswscale. Each variant and dispatcher must write
// the bytes of the portable reference, and so must libyuv's shuffles, which do the same work.
#include <libyuv.h>

#include <array>
#include <string>
#include <utility>

extern "C" {
#include <libswscale/swscale.h>
}

#include "bench_support.h"
#include "convert/repack_kernels.h"
#include "convert/yuv_repacker.h"

namespace {

// A kernel on a field, packed rows after each other.
FieldWork KernelWork(FieldKernel kernel, int sourceBytesPerPixel) {
    return [kernel, sourceBytesPerPixel](BYTE* destination, const BYTE* source,
                                         const FieldSize& size) {
        kernel(destination, source, size.width, size.rows, 2 * size.width,
               sourceBytesPerPixel * size.width);
        return true;
    };
}

// An operation's kernels: the reference and its processor variants.
struct Variants {
    const char* operation;
    FieldKernel c, mmx, sse, sse2, amd, avx2;
};

// The initialiser of an operation's Variants.
#define QLNU_VARIANTS(op) #op, op##_C, op##_MMX, op##_SSE, op##_SSE2, op##_AMD, op##_AVX2

void RegisterVariants(const Variants& v, int sourceBytesPerPixel) {
    const std::string name = v.operation;
    const FieldWork reference = KernelWork(v.c, sourceBytesPerPixel);
    RegisterFieldBenchmark(name + "_C", sourceBytesPerPixel, 2, reference);
    const std::pair<const char*, FieldKernel> variants[] = {
        {"_MMX", v.mmx}, {"_SSE", v.sse}, {"_SSE2", v.sse2}, {"_AMD", v.amd}};
    for (const auto& [suffix, kernel] : variants) {
        RegisterFieldBenchmark(name + suffix, sourceBytesPerPixel, 2,
                               KernelWork(kernel, sourceBytesPerPixel), reference);
    }
    RegisterAvx2FieldBenchmark(name + "_AVX2", sourceBytesPerPixel, 2,
                               KernelWork(v.avx2, sourceBytesPerPixel), reference);
}

using RepackerOperation = void (YuvRepacker::*)(BYTE*, const BYTE*, int, int, int, int);

// Through the dispatcher, as the sessions call it.
void RegisterDispatcher(const std::string& label, RepackerOperation operation,
                        int sourceBytesPerPixel, FieldKernel reference) {
    RegisterFieldBenchmark(
        label, sourceBytesPerPixel, 2,
        [operation, sourceBytesPerPixel](BYTE* destination, const BYTE* source,
                                         const FieldSize& size) {
            YuvRepacker repacker;
            (repacker.*operation)(destination, source, size.width, size.rows, 2 * size.width,
                                  sourceBytesPerPixel * size.width);
            return true;
        },
        KernelWork(reference, sourceBytesPerPixel));
}

// libyuv rearranges packed 4:2:2 in one pass with its four-byte shuffle: the same bytes as the
// codec's `reference`.
void RegisterLibyuvShuffle(const std::string& label, std::initializer_list<uint8_t> order,
                           FieldKernel reference) {
    std::array<uint8_t, 16> shuffler{};
    for (int i = 0; i < 16; ++i) {
        shuffler[i] = static_cast<uint8_t>(i / 4 * 4 + *(order.begin() + i % 4));
    }
    RegisterFieldBenchmark(
        label, 2, 2,
        [shuffler](BYTE* destination, const BYTE* source, const FieldSize& size) {
            return libyuv::ARGBShuffle(source, 2 * size.width, destination, 2 * size.width,
                                       shuffler.data(), size.width / 2, size.rows) == 0;
        },
        KernelWork(reference, 2));
}

// Planar 4:2:2 stands in for the block layouts: source Y, then U, then V planes.
void RegisterLibyuvPlanarToUyvy() {
    RegisterFieldBenchmark("libyuv_I422ToUYVY", 2, 2,
                           [](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               const int w = size.width;
                               const BYTE* u = source + w * size.rows;
                               const BYTE* v = u + w / 2 * size.rows;
                               return libyuv::I422ToUYVY(source, w, u, w / 2, v, w / 2, destination,
                                                         2 * w, w, size.rows) == 0;
                           });
}

void RegisterLibyuvUyvyToPlanar() {
    RegisterFieldBenchmark("libyuv_UYVYToI422", 2, 2,
                           [](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               const int w = size.width;
                               BYTE* u = destination + w * size.rows;
                               BYTE* v = u + w / 2 * size.rows;
                               return libyuv::UYVYToI422(source, 2 * w, destination, w, u, w / 2, v,
                                                         w / 2, w, size.rows) == 0;
                           });
}

// The planes of a field in `format`: planar 4:2:2 has three, the packed formats one.
void FieldPlanes(AVPixelFormat format, const BYTE* base, const FieldSize& size, uint8_t* planes[4],
                 int strides[4]) {
    const int w = size.width;
    BYTE* bytes = const_cast<BYTE*>(base);
    if (format == AV_PIX_FMT_YUV422P) {
        planes[0] = bytes;
        planes[1] = bytes + w * size.rows;
        planes[2] = planes[1] + w / 2 * size.rows;
        strides[0] = w;
        strides[1] = strides[2] = w / 2;
    } else {
        planes[0] = bytes;
        strides[0] = 2 * w;
    }
}

// The scaler contexts are made before timing and live as long as the program.
void RegisterSwscale(const std::string& label, AVPixelFormat from, AVPixelFormat to) {
    std::array<SwsContext*, std::size(kFieldSizes)> contexts{};
    for (std::size_t i = 0; i < contexts.size(); ++i) {
        const FieldSize& size = kFieldSizes[i];
        contexts[i] = sws_getContext(size.width, size.rows, from, size.width, size.rows, to,
                                     SWS_POINT, nullptr, nullptr, nullptr);
    }
    RegisterFieldBenchmark(
        label, 2, 2,
        [contexts, from, to](BYTE* destination, const BYTE* source, const FieldSize& size) {
            uint8_t* sourcePlanes[4] = {};
            int sourceStrides[4] = {};
            uint8_t* destinationPlanes[4] = {};
            int destinationStrides[4] = {};
            FieldPlanes(from, source, size, sourcePlanes, sourceStrides);
            FieldPlanes(to, destination, size, destinationPlanes, destinationStrides);
            return sws_scale(contexts[&size == &kFieldSizes[0] ? 0 : 1], sourcePlanes,
                             sourceStrides, 0, size.rows, destinationPlanes,
                             destinationStrides) == size.rows;
        });
}

const bool kRegistered = [] {
    RegisterVariants({QLNU_VARIANTS(PackYuy2Field)}, 2);
    RegisterVariants({QLNU_VARIANTS(PackYvyuField)}, 2);
    RegisterVariants({QLNU_VARIANTS(PackY16Field)}, 2);
    RegisterVariants({QLNU_VARIANTS(PackY16AField)}, 3);
    RegisterVariants({QLNU_VARIANTS(UnpackYvyuField)}, 2);
    RegisterVariants({QLNU_VARIANTS(UnpackY16Field)}, 2);
    RegisterDispatcher("PackYuy2Field", &YuvRepacker::PackYuy2Field, 2, PackYuy2Field_C);
    RegisterDispatcher("PackYvyuField", &YuvRepacker::PackYvyuField, 2, PackYvyuField_C);
    RegisterDispatcher("PackY16Field", &YuvRepacker::PackY16Field, 2, PackY16Field_C);
    RegisterDispatcher("PackY16AField", &YuvRepacker::PackY16AField, 3, PackY16AField_C);
    RegisterDispatcher("UnpackYuy2Field", &YuvRepacker::UnpackYuy2Field, 2, PackYuy2Field_C);
    RegisterDispatcher("UnpackYvyuField", &YuvRepacker::UnpackYvyuField, 2, UnpackYvyuField_C);
    RegisterDispatcher("UnpackY16Field", &YuvRepacker::UnpackY16Field, 2, UnpackY16Field_C);
    RegisterLibyuvShuffle("libyuv_ARGBShuffle_YUY2ToUYVY", {1, 0, 3, 2}, PackYuy2Field_C);
    RegisterLibyuvShuffle("libyuv_ARGBShuffle_YVYUToUYVY", {3, 0, 1, 2}, PackYvyuField_C);
    RegisterLibyuvShuffle("libyuv_ARGBShuffle_UYVYToYVYU", {1, 2, 3, 0}, UnpackYvyuField_C);
    RegisterLibyuvPlanarToUyvy();
    RegisterLibyuvUyvyToPlanar();
    RegisterSwscale("swscale_YUYV422ToUYVY422", AV_PIX_FMT_YUYV422, AV_PIX_FMT_UYVY422);
    RegisterSwscale("swscale_YVYU422ToUYVY422", AV_PIX_FMT_YVYU422, AV_PIX_FMT_UYVY422);
    RegisterSwscale("swscale_YUV422PToUYVY422", AV_PIX_FMT_YUV422P, AV_PIX_FMT_UYVY422);
    RegisterSwscale("swscale_UYVY422ToYUYV422", AV_PIX_FMT_UYVY422, AV_PIX_FMT_YUYV422);
    RegisterSwscale("swscale_UYVY422ToYVYU422", AV_PIX_FMT_UYVY422, AV_PIX_FMT_YVYU422);
    RegisterSwscale("swscale_UYVY422ToYUV422P", AV_PIX_FMT_UYVY422, AV_PIX_FMT_YUV422P);
    return true;
}();

}  // namespace
