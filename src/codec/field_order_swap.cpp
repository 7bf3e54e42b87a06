#include "codec/field_order_swap.h"

#include <cstdint>

#include "codec/fast_copy.h"
#include "codec/picture_rows.h"

namespace {

// A picture as the swap copies it: rows of w × (biBitCount / 8) bytes without padding, row 0
// at the lowest address.
struct PictureShape {
    explicit PictureShape(const BITMAPINFOHEADER& format)
        : RowBytes(format.biWidth * static_cast<std::int64_t>(format.biBitCount / 8)),
          Rows(PictureRowCount(format)),
          TopDown(IsStoredTopDown(format)) {}

    std::int64_t Offset(std::int64_t row) const { return row * RowBytes; }
    DWORD Bytes(std::int64_t rows) const { return static_cast<DWORD>(rows * RowBytes); }

    std::int64_t RowBytes;
    std::int64_t Rows;
    bool TopDown;
};

// Every picture line one up, the top line to the bottom.
void ShiftUp(const PictureShape& shape, BYTE* to, const BYTE* from) {
    if (shape.Rows == 0) {
        return;
    }
    const std::int64_t last = shape.Rows - 1;
    if (shape.TopDown) {
        FastCopy(to, from + shape.Offset(1), shape.Bytes(last));
        FastCopy(to + shape.Offset(last), from, shape.Bytes(1));
    } else {
        FastCopy(to, from + shape.Offset(last), shape.Bytes(1));
        FastCopy(to + shape.Offset(1), from, shape.Bytes(last));
    }
}

// Every picture line one down, the bottom line to the top.
void ShiftDown(const PictureShape& shape, BYTE* to, const BYTE* from) {
    if (shape.Rows == 0) {
        return;
    }
    const std::int64_t last = shape.Rows - 1;
    if (shape.TopDown) {
        FastCopy(to + shape.Offset(1), from, shape.Bytes(last));
        FastCopy(to, from + shape.Offset(last), shape.Bytes(1));
    } else {
        FastCopy(to, from + shape.Offset(1), shape.Bytes(last));
        FastCopy(to + shape.Offset(last), from, shape.Bytes(1));
    }
}

}  // namespace

LONG CompressSwapped(Compressor& session, ICCOMPRESS* request) {
    const BITMAPINFOHEADER& input = *request->lpbiInput;
    ScratchBlock& scratch = session.Scratch();
    if (!scratch.Reserve(input)) {
        return ICERR_MEMORY;
    }
    ShiftUp(PictureShape(input), scratch.Aligned(), static_cast<const BYTE*>(request->lpInput));
    void* const hostPicture = request->lpInput;
    request->lpInput = scratch.Aligned();
    const LONG status = session.CompressFrame(request);
    request->lpInput = hostPicture;
    return status;
}

LONG DecompressSwapped(Decompressor& session, ICDECOMPRESS* request) {
    const BITMAPINFOHEADER& output = *request->lpbiOutput;
    ScratchBlock& scratch = session.Scratch();
    if (!scratch.Reserve(output)) {
        return ICERR_MEMORY;
    }
    void* const hostPicture = request->lpOutput;
    request->lpOutput = scratch.Aligned();
    const LONG status = session.DecompressFrame(request);
    request->lpOutput = hostPicture;
    ShiftDown(PictureShape(output), static_cast<BYTE*>(hostPicture), scratch.Aligned());
    return status;
}
