// The driver driven the way a host drives it through the Video Compression Manager: every call
// goes through DriverProc on one open instance.
#pragma once

#include "picture_layouts.h"

class DriverHost {
public:
    // Attaches the driver to the process, loads and opens it.
    DriverHost();
    // Closes, frees and detaches.
    ~DriverHost();

    DriverHost(const DriverHost&) = delete;
    DriverHost& operator=(const DriverHost&) = delete;

    LRESULT Send(UINT message, LPARAM l1 = 0, LPARAM l2 = 0) const;

    // Sets the option that makes the driver swap the fields of every frame (moving pictures up
    // a line before compression and down a line after decompression), as a host does: fetch
    // the state record, change the option byte, give the record back.
    void SwapFieldOrder() const;

    // ICM_COMPRESS_QUERY, ICM_COMPRESS_GET_FORMAT and ICM_COMPRESS_BEGIN for `input`; the
    // proposed QLNU format goes to `output`. The first answer other than ICERR_OK, or ICERR_OK.
    LRESULT BeginCompression(const BITMAPINFOHEADER& input, BITMAPINFOHEADER* output) const;
    // What the driver reports with each compressed frame.
    struct FrameReport {
        DWORD bytes;    // biSizeImage of the output format
        DWORD chunkId;  // the two-character code of the frame's chunk
        DWORD flags;    // the AVI index flags
    };
    // One ICM_COMPRESS into `frame` (sized by ICM_COMPRESS_GET_SIZE).
    FrameReport Compress(const BITMAPINFOHEADER& input, const Bytes& picture,
                         const BITMAPINFOHEADER& output, Bytes* frame) const {
        frame->resize(CompressedBytes(input, output));
        return Compress(input, picture.data(), output, frame->data());
    }
    // ICM_COMPRESS_GET_SIZE: the most bytes a compressed frame takes.
    std::size_t CompressedBytes(const BITMAPINFOHEADER& input,
                                const BITMAPINFOHEADER& output) const;
    // One ICM_COMPRESS into the CompressedBytes() bytes at `frame`.
    FrameReport Compress(const BITMAPINFOHEADER& input, const BYTE* picture,
                         const BITMAPINFOHEADER& output, BYTE* frame) const;
    void EndCompression() const;

    // ICM_DECOMPRESS_QUERY and ICM_DECOMPRESS_BEGIN; the first answer other than ICERR_OK.
    LRESULT BeginDecompression(const BITMAPINFOHEADER& input, BITMAPINFOHEADER* output) const;
    void Decompress(const BITMAPINFOHEADER& input, const Bytes& frame,
                    const BITMAPINFOHEADER& output, Bytes* picture) const {
        picture->resize(output.biSizeImage);
        Decompress(input, frame.data(), frame.size(), output, picture->data());
    }
    // One ICM_DECOMPRESS of the `bytes` bytes at `frame` into the biSizeImage bytes of the
    // output format at `picture`.
    void Decompress(const BITMAPINFOHEADER& input, const BYTE* frame, std::size_t bytes,
                    const BITMAPINFOHEADER& output, BYTE* picture) const;
    void EndDecompression() const;

private:
    DWORD_PTR id_ = 0;
};
