#include "driver/formats/format_proposal.h"

#include <cstring>

#include "driver/formats/format_sizes.h"

LRESULT StartProposal(const BITMAPINFOHEADER& in, BITMAPINFOHEADER* out) {
    const LONG formatSize = *FormatSize(in);
    if (formatSize < static_cast<LONG>(sizeof(BITMAPINFOHEADER))) {
        return ICERR_BADFORMAT;
    }
    if (out == nullptr) {
        return formatSize;
    }
    std::memmove(out, &in, static_cast<std::size_t>(formatSize));
    return ICERR_OK;
}
