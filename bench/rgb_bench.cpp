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
};

void RegisterKernel(const Kernel& k, int sourceBytesPerPixel, int destinationBytesPerPixel) {
    RegisterFieldBenchmark(k.label, sourceBytesPerPixel, destinationBytesPerPixel,
                           [=](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               if (k.layout != TableLayout::None) {
                                   UseTableLayout(k.layout);
                               }
                               k.kernel(destination, source, size.width, size.rows,
                                        destinationBytesPerPixel * size.width,
                                        sourceBytesPerPixel * size.width);
                           });
}

void RegisterEncoderKernels() {
    const Kernel rgb24[] = {
        {"EncodeRgb24Field_C", EncodeRgb24Field_C, TableLayout::None},
        {"EncodeRgb24Field_MMX", EncodeRgb24Field_MMX, TableLayout::Narrow},
        {"EncodeRgb24Field_SSE", EncodeRgb24Field_SSE, TableLayout::Extended},
        {"EncodeRgb24Field_SSE2", EncodeRgb24Field_SSE2, TableLayout::Wide16},
        {"EncodeRgb24Field_AMD", EncodeRgb24Field_AMD, TableLayout::Extended},
        {"EncodeRgb24Field_AVX2", EncodeRgb24Field_AVX2, TableLayout::Wide16},
    };
    const Kernel rgb32[] = {
        {"EncodeRgb32Field_C", EncodeRgb32Field_C, TableLayout::None},
        {"EncodeRgb32Field_MMX", EncodeRgb32Field_MMX, TableLayout::Narrow},
        {"EncodeRgb32Field_SSE", EncodeRgb32Field_SSE, TableLayout::Extended},
        {"EncodeRgb32Field_SSE2", EncodeRgb32Field_SSE2, TableLayout::Wide16},
        {"EncodeRgb32Field_AMD", EncodeRgb32Field_AMD, TableLayout::Extended},
        {"EncodeRgb32Field_AVX2", EncodeRgb32Field_AVX2, TableLayout::Wide16},
    };
    for (const Kernel& k : rgb24) {
        RegisterKernel(k, 3, 2);
    }
    for (const Kernel& k : rgb32) {
        RegisterKernel(k, 4, 2);
    }
}

void RegisterDecoderKernels() {
    const Kernel kernels[] = {
        {"DecodeRgb24Field_BasicC", DecodeRgb24Field_BasicC, TableLayout::None},
        {"DecodeRgb24Field_ExtendedC", DecodeRgb24Field_ExtendedC, TableLayout::None},
        {"DecodeRgb24Field_MMX", DecodeRgb24Field_MMX, TableLayout::Narrow},
        {"DecodeRgb24Field_SSE", DecodeRgb24Field_SSE, TableLayout::Extended},
        {"DecodeRgb24Field_SSE2", DecodeRgb24Field_SSE2, TableLayout::Wide16},
        {"DecodeRgb24Field_AMD", DecodeRgb24Field_AMD, TableLayout::Extended},
        {"DecodeRgb24Field_AVX2", DecodeRgb24Field_AVX2, TableLayout::Wide16},
    };
    for (const Kernel& k : kernels) {
        RegisterKernel(k, 2, 3);
    }
}

// Through the dispatchers, as the sessions call them, with the processor's own table.
void RegisterDispatchers() {
    RegisterFieldBenchmark("RgbToYuvTables::EncodeRgb24Field", 3, 2,
                           [](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               UseTableLayout(TableLayout::Wide16);
                               RgbToYuvTables tables;
                               tables.EncodeRgb24Field(destination, source, size.width, size.rows,
                                                       2 * size.width, 3 * size.width);
                           });
    RegisterFieldBenchmark("YuvToRgbTables::DecodeRgb24Field", 2, 3,
                           [](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               UseTableLayout(TableLayout::Wide16);
                               YuvToRgbTables tables;
                               tables.DecodeRgb24Field(destination, source, size.width, size.rows,
                                                       3 * size.width, 2 * size.width);
                           });
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
            libyuv::RGB24ToARGB(source, 3 * w, argb->data(), 4 * w, w, -size.rows);
            libyuv::ARGBToUYVY(argb->data(), 4 * w, destination, 2 * w, w, size.rows);
        });
    RegisterFieldBenchmark("libyuv_ARGBToUYVY", 4, 2,
                           [](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               const int w = size.width;
                               libyuv::ARGBToUYVY(source, 4 * w, destination, 2 * w, w, -size.rows);
                           });
    RegisterFieldBenchmark("libyuv_UYVYToARGB+ARGBToRGB24", 2, 3,
                           [argb = std::make_shared<std::vector<BYTE>>()](
                               BYTE* destination, const BYTE* source, const FieldSize& size) {
                               const int w = size.width;
                               argb->resize(static_cast<std::size_t>(4) * w * size.rows);
                               libyuv::UYVYToARGB(source, 2 * w, argb->data(), 4 * w, w, size.rows);
                               libyuv::ARGBToRGB24(argb->data(), 4 * w, destination, 3 * w, w,
                                                   -size.rows);
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
            sws_scale(context.get(), &in, inStride, 0, size.rows, &out, outStride);
        });
}

[[maybe_unused]] const bool kRegistered = [] {
    RegisterEncoderKernels();
    RegisterDecoderKernels();
    RegisterDispatchers();
    RegisterLibyuv();
    RegisterSwscale("swscale_BGR24ToUYVY422", AV_PIX_FMT_BGR24, AV_PIX_FMT_UYVY422, 3, 2);
    RegisterSwscale("swscale_BGRAToUYVY422", AV_PIX_FMT_BGRA, AV_PIX_FMT_UYVY422, 4, 2);
    RegisterSwscale("swscale_UYVY422ToBGR24", AV_PIX_FMT_UYVY422, AV_PIX_FMT_BGR24, 2, 3);
    return true;
}();

}  // namespace
