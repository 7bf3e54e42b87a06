// Compression and decompression sessions through msvfw32, for hosts that check the pictures
// and frames they get: the same layouts and references as the session tests.
#pragma once

#include "host_test.h"
#include "test_pictures.h"

namespace host_test {

class CompressionSession {
public:
    CompressionSession(HIC codec, const PictureFormat& format, LONG width, LONG height)
        : codec_(codec),
          input_(UncompressedHeader(format, width, height)),
          output_(QlnuHeader(width, height)) {
        CHECK_EQ(ICCompressBegin(codec_, &input_, &output_), ICERR_OK);
    }
    ~CompressionSession() { ICCompressEnd(codec_); }
    CompressionSession(const CompressionSession&) = delete;
    CompressionSession& operator=(const CompressionSession&) = delete;

    // The frame of one picture (input_.biSizeImage bytes at `picture`), answered ICERR_OK.
    Bytes Compress(const BYTE* picture) {
        Bytes frame(output_.biSizeImage, 0xEE);
        DWORD chunk = 0, flags = 0;
        CHECK_EQ(ICCompress(codec_, ICCOMPRESS_KEYFRAME, &output_, frame.data(), &input_,
                            const_cast<BYTE*>(picture), &chunk, &flags, 0, 0, 0, nullptr, nullptr),
                 ICERR_OK);
        return frame;
    }

private:
    HIC codec_;
    BITMAPINFOHEADER input_;
    BITMAPINFOHEADER output_;
};

class DecompressionSession {
public:
    DecompressionSession(HIC codec, const PictureFormat& format, LONG width, LONG height)
        : codec_(codec),
          input_(QlnuHeader(width, height)),
          output_(UncompressedHeader(format, width, height)) {
        CHECK_EQ(ICDecompressBegin(codec_, &input_, &output_), ICERR_OK);
    }
    ~DecompressionSession() { ICDecompressEnd(codec_); }
    DecompressionSession(const DecompressionSession&) = delete;
    DecompressionSession& operator=(const DecompressionSession&) = delete;

    // The picture of one frame, answered ICERR_OK.
    Bytes Decompress(const Bytes& frame) {
        Bytes picture(output_.biSizeImage, 0xCD);
        CHECK_EQ(ICDecompress(codec_, 0, &input_, const_cast<BYTE*>(frame.data()), &output_,
                              picture.data()),
                 ICERR_OK);
        return picture;
    }

private:
    HIC codec_;
    BITMAPINFOHEADER input_;
    BITMAPINFOHEADER output_;
};

}  // namespace host_test
