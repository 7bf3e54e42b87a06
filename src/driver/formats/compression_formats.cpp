#include "driver/formats/compression_formats.h"

#include "common/fourcc.h"
#include "driver/formats/format_checks.h"
#include "driver/formats/format_proposal.h"
#include "driver/formats/format_sizes.h"

namespace {

bool AcceptsInput(const BITMAPINFOHEADER* in) {
    return in != nullptr && IsCompressionInput(*in) && HasCodecGeometry(*in) && SizesFit(*in);
}

// The output's frame size is the input's, which the input check has already measured.
bool AcceptsOutput(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out) {
    return (out.biBitCount == 24 || out.biBitCount == 32) && IsQlnuHandler(out.biCompression) &&
           HasSameDimensions(in, out);
}

}  // namespace

LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    if (!AcceptsInput(in)) {
        return ICERR_BADFORMAT;
    }
    if (out == nullptr) {
        return ICERR_OK;
    }
    return AcceptsOutput(*in, *out) ? ICERR_OK : ICERR_BADFORMAT;
}

LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) {
    if (!AcceptsInput(in)) {
        return ICERR_BADFORMAT;
    }
    if (const LRESULT started = StartProposal(*in, out); out == nullptr || started != ICERR_OK) {
        return started;
    }
    out->biBitCount = 24;
    out->biCompression = kFourCCQlnu;
    out->biSizeImage = static_cast<DWORD>(*CompressedFrameSize(*in));
    return ICERR_OK;
}

LRESULT CompressGetSize(const BITMAPINFOHEADER* in) {
    if (in == nullptr) {
        return ICERR_BADFORMAT;
    }
    const auto frameSize = CompressedFrameSize(*in);
    return frameSize ? *frameSize : ICERR_BADFORMAT;
}

LRESULT CheckCompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    return CompressQuery(in, out);
}
