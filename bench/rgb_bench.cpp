// The RGB encoders and the RGB decoder in every variant and through their dispatchers, beside
// the fastest equivalent paths of libyuv and libswscale. Targets, for the AVX2 variants with
// frames out of cache: EncodeRgb24Field at most 0.7 x libyuv's RGB24ToARGB + ARGBToUYVY,
// EncodeRgb32Field at most 1.0 x libyuv's ARGBToUYVY, DecodeRgb24Field at most 1.0 x libyuv's
// UYVYToARGB + ARGBToRGB24. Every conversion flips the rows, as the codec's do.
#include <libyuv.h>

#include <memory>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "bench_support.h"
#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"
#include "convert/rgb_to_yuv_tables.h"
#include "convert/yuv_to_rgb_coefficients.h"
#include "convert/yuv_to_rgb_tables.h"

namespace {

// The variants read the coefficient table in their own layout; the benchmarks run one after
// the other, so the table is refilled whenever the layout changes (a test seam, used here
// because one process runs the variants of every class).
void UseTableLayout(TableLayout layout) {
    static TableLayout current = TableLayout::None;
    if (layout == current) {
        return;
    }
    current = layout;
    gRgbToYuvTable.ResetForTesting();
    gYuvToRgbTable.ResetForTesting();
    gRgbToYuvTable.PublishOnce([layout](BYTE* entries) { FillRgbToYuvTable(entries, layout); });
    gYuvToRgbTable.PublishOnce([layout](BYTE* entries) { FillYuvToRgbTable(entries, layout); });
}

struct Kernel {
    const char* label;
    FieldKernel kernel;
    TableLayout layout;  // None for the references
    bool avx2 = false;
};

// The references of an operation: the MMX variants (narrow tables) compute in a narrower
// arithmetic than the others, and each must write exactly the bytes of its own.
struct References {
    FieldKernel narrow;
    FieldKernel precise;
};

FieldWork KernelWork(FieldKernel kernel, TableLayout layout, int sourceBytesPerPixel,
                     int destinationBytesPerPixel) {
    return [=](BYTE* destination, const BYTE* source, const FieldSize& size) {
        if (layout != TableLayout::None) {
            UseTableLayout(layout);
        }
        kernel(destination, source, size.width, size.rows, destinationBytesPerPixel * size.width,
               sourceBytesPerPixel * size.width);
        return true;
    };
}

void RegisterKernels(const std::vector<Kernel>& kernels, const References& references,
                     int sourceBytesPerPixel, int destinationBytesPerPixel) {
    for (const Kernel& k : kernels) {
        const FieldKernel reference = k.layout == TableLayout::Narrow ? references.narrow
                                      : k.layout == TableLayout::None ? nullptr
                                                                      : references.precise;
        const FieldWork check = reference == nullptr
                                    ? nullptr
                                    : KernelWork(reference, TableLayout::None, sourceBytesPerPixel,
                                                 destinationBytesPerPixel);
        const FieldWork work =
            KernelWork(k.kernel, k.layout, sourceBytesPerPixel, destinationBytesPerPixel);
        (k.avx2 ? RegisterAvx2FieldBenchmark : RegisterFieldBenchmark)(
            k.label, sourceBytesPerPixel, destinationBytesPerPixel, work, check);
    }
}

void RegisterEncoderKernels() {
    const std::vector<Kernel> rgb24 = {
        {"EncodeRgb24Field_C", EncodeRgb24Field_C, TableLayout::None},
        {"EncodeRgb24Field_MMX", EncodeRgb24Field_MMX, TableLayout::Narrow},
        {"EncodeRgb24Field_SSE", EncodeRgb24Field_SSE, TableLayout::Extended},
        {"EncodeRgb24Field_SSE2", EncodeRgb24Field_SSE2, TableLayout::Wide16},
        {"EncodeRgb24Field_AMD", EncodeRgb24Field_AMD, TableLayout::Extended},
        {"EncodeRgb24Field_AVX2", EncodeRgb24Field_AVX2, TableLayout::Wide16, true},
    };
    const std::vector<Kernel> rgb32 = {
        {"EncodeRgb32Field_C", EncodeRgb32Field_C, TableLayout::None},
        {"EncodeRgb32Field_MMX", EncodeRgb32Field_MMX, TableLayout::Narrow},
        {"EncodeRgb32Field_SSE", EncodeRgb32Field_SSE, TableLayout::Extended},
        {"EncodeRgb32Field_SSE2", EncodeRgb32Field_SSE2, TableLayout::Wide16},
        {"EncodeRgb32Field_AMD", EncodeRgb32Field_AMD, TableLayout::Extended},
        {"EncodeRgb32Field_AVX2", EncodeRgb32Field_AVX2, TableLayout::Wide16, true},
    };
    RegisterKernels(rgb24, {EncodeRgb24Field_NarrowC, EncodeRgb24Field_C}, 3, 2);
    RegisterKernels(rgb32, {EncodeRgb32Field_NarrowC, EncodeRgb32Field_C}, 4, 2);
}

void RegisterDecoderKernels() {
    const std::vector<Kernel> kernels = {
        {"DecodeRgb24Field_BasicC", DecodeRgb24Field_BasicC, TableLayout::None},
        {"DecodeRgb24Field_ExtendedC", DecodeRgb24Field_ExtendedC, TableLayout::None},
        {"DecodeRgb24Field_MMX", DecodeRgb24Field_MMX, TableLayout::Narrow},
        {"DecodeRgb24Field_SSE", DecodeRgb24Field_SSE, TableLayout::Extended},
        {"DecodeRgb24Field_SSE2", DecodeRgb24Field_SSE2, TableLayout::Wide16},
        {"DecodeRgb24Field_AMD", DecodeRgb24Field_AMD, TableLayout::Extended},
        {"DecodeRgb24Field_AVX2", DecodeRgb24Field_AVX2, TableLayout::Wide16, true},
    };
    RegisterKernels(kernels, {DecodeRgb24Field_BasicC, DecodeRgb24Field_ExtendedC}, 2, 3);
}

// Through a dispatcher of a converter object, as the sessions call it, with the processor's own
// table.
template <typename Tables>
void RegisterDispatcher(const char* label,
                        void (Tables::*dispatcher)(BYTE*, const BYTE*, int, int, int, int),
                        FieldKernel reference, int sourceBytesPerPixel,
                        int destinationBytesPerPixel) {
    RegisterFieldBenchmark(
        label, sourceBytesPerPixel, destinationBytesPerPixel,
        [=](BYTE* destination, const BYTE* source, const FieldSize& size) {
            UseTableLayout(TableLayout::Wide16);
            Tables tables;
            (tables.*dispatcher)(destination, source, size.width, size.rows,
                                 destinationBytesPerPixel * size.width,
                                 sourceBytesPerPixel * size.width);
            return true;
        },
        KernelWork(reference, TableLayout::None, sourceBytesPerPixel, destinationBytesPerPixel));
}

// libyuv has no single call for RGB24 to UYVY or back: two calls through an ARGB picture.
// A negative height flips the rows.
void RegisterLibyuv() {
    RegisterFieldBenchmark(
        "libyuv_RGB24ToARGB+ARGBToUYVY", 3, 2,
        [argb = std::make_shared<std::vector<BYTE>>()](BYTE* destination, const BYTE* source,
                                                       const FieldSize& size) {
            const int w = size.width;
            argb->resize(static_cast<std::size_t>(4) * w * size.rows);
            return libyuv::RGB24ToARGB(source, 3 * w, argb->data(), 4 * w, w, -size.rows) == 0 &&
                   libyuv::ARGBToUYVY(argb->data(), 4 * w, destination, 2 * w, w, size.rows) == 0;
        });
    RegisterFieldBenchmark("libyuv_ARGBToUYVY", 4, 2,
                           [](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               const int w = size.width;
                               return libyuv::ARGBToUYVY(source, 4 * w, destination, 2 * w, w,
                                                         -size.rows) == 0;
                           });
    RegisterFieldBenchmark(
        "libyuv_UYVYToARGB+ARGBToRGB24", 2, 3,
        [argb = std::make_shared<std::vector<BYTE>>()](BYTE* destination, const BYTE* source,
                                                       const FieldSize& size) {
            const int w = size.width;
            argb->resize(static_cast<std::size_t>(4) * w * size.rows);
            return libyuv::UYVYToARGB(source, 2 * w, argb->data(), 4 * w, w, size.rows) == 0 &&
                   libyuv::ARGBToRGB24(argb->data(), 4 * w, destination, 3 * w, w, -size.rows) == 0;
        });
}

// libswscale at its fastest setting (no scaling happens); the RGB side is walked with a
// negative stride to flip the rows. One context per size, made on first use.
void RegisterSwscale(const std::string& label, AVPixelFormat from, AVPixelFormat to, int fromBytes,
                     int toBytes) {
    const bool fromRgb = from != AV_PIX_FMT_UYVY422;
    RegisterFieldBenchmark(
        label, fromBytes, toBytes,
        [=, context = std::shared_ptr<SwsContext>()](BYTE* destination, const BYTE* source,
                                                     const FieldSize& size) mutable {
            if (!context) {
                context.reset(sws_getContext(size.width, size.rows, from, size.width, size.rows, to,
                                             SWS_POINT, nullptr, nullptr, nullptr),
                              sws_freeContext);
            }
            const int fromStride = fromBytes * size.width, toStride = toBytes * size.width;
            const BYTE* in = fromRgb ? source + (size.rows - 1) * fromStride : source;
            BYTE* out = fromRgb ? destination : destination + (size.rows - 1) * toStride;
            const int inStride[] = {fromRgb ? -fromStride : fromStride};
            const int outStride[] = {fromRgb ? toStride : -toStride};
            return sws_scale(context.get(), &in, inStride, 0, size.rows, &out, outStride) ==
                   size.rows;
        });
}

[[maybe_unused]] const bool kRegistered = [] {
    RegisterEncoderKernels();
    RegisterDecoderKernels();
    RegisterDispatcher("RgbToYuvTables::EncodeRgb24Field", &RgbToYuvTables::EncodeRgb24Field,
                       EncodeRgb24Field_C, 3, 2);
    RegisterDispatcher("YuvToRgbTables::DecodeRgb24Field", &YuvToRgbTables::DecodeRgb24Field,
                       DecodeRgb24Field_ExtendedC, 2, 3);
    RegisterLibyuv();
    RegisterSwscale("swscale_BGR24ToUYVY422", AV_PIX_FMT_BGR24, AV_PIX_FMT_UYVY422, 3, 2);
    RegisterSwscale("swscale_BGRAToUYVY422", AV_PIX_FMT_BGRA, AV_PIX_FMT_UYVY422, 4, 2);
    RegisterSwscale("swscale_UYVY422ToBGR24", AV_PIX_FMT_UYVY422, AV_PIX_FMT_BGR24, 2, 3);
    return true;
}();

}  // namespace
