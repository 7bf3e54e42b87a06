#include "driver/formats/decompression_formats.h"

#include "common/fourcc.h"
#include "driver/formats/format_checks.h"
#include "driver/formats/format_proposal.h"
#include "driver/formats/format_sizes.h"
#include "settings/yuv_restricted_apps.h"

namespace {

bool AcceptsInput(const BITMAPINFOHEADER* in) {
    return in != nullptr && IsQlnuHandler(in->biCompression) && HasCodecGeometry(*in) &&
           SizesFit(*in);
}

bool AcceptsLayout(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out) {
    return IsDecompressionOutput(out) && HasSameDimensions(in, out) && PictureSize(out);
}

bool AcceptsOutput(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out) {
    if (out.biCompression != BI_RGB && IsYuvRestrictedApp()) {
        return false;
    }
    return AcceptsLayout(in, out);
}

}  // namespace

LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    if (!AcceptsInput(in)) {
        return ICERR_BADFORMAT;
    }
    if (out == nullptr) {
        return ICERR_OK;
    }
    return AcceptsOutput(*in, *out) ? ICERR_OK : ICERR_BADFORMAT;
}

LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) {
    if (!AcceptsInput(in)) {
        return ICERR_BADFORMAT;
    }
    if (const LRESULT started = StartProposal(*in, out); out == nullptr || started != ICERR_OK) {
        return started;
    }
    // The bit count stays the input's: 24 for the formats that ICM_COMPRESS_GET_FORMAT makes.
    out->biCompression = BI_RGB;
    out->biSizeImage = static_cast<DWORD>(*PictureSize(*in));
    return ICERR_OK;
}

LRESULT CheckDecompressBegin(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) {
    if (!AcceptsInput(in) || out == nullptr || !AcceptsOutput(*in, *out)) {
        return ICERR_BADFORMAT;
    }
    // The output has the decompressor's bit count (2 bytes a pixel for packed YUV, 3 for RGB),
    // so its picture size is its rows times its row size.
    if (out->biSizeImage == 0) {
        out->biSizeImage = static_cast<DWORD>(*PictureSize(*out));
    }
    return ICERR_OK;
}

bool IsDecodableFrame(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    return AcceptsInput(in) && out != nullptr && AcceptsLayout(*in, *out);
}
