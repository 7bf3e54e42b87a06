// An open instance that compresses and decompresses through DriverProc, as a host does.
#pragma once

#include "driver/codec_instance.h"
#include "platform/processors.h"
#include "support/attached_driver.h"
#include "test_pictures.h"

class SessionTest : public AttachedDriverTest {
protected:
    void SetUp() override;
    void TearDown() override;

    CodecInstance* Instance() const { return reinterpret_cast<CodecInstance*>(id_); }
    void SetChangeFieldsOrder(bool swap);

    LRESULT CompressBegin(const BITMAPINFOHEADER& input);
    LRESULT DecompressBegin(const BITMAPINFOHEADER& output, LONG width, LONG height);

    // One ICM_COMPRESS on the running session, into an output buffer of `outputBytes` filled
    // with 0xEE; the output format is the QLNU format of the output picture size.
    struct CompressCall {
        LRESULT answer;
        Bytes frame;
        DWORD chunkId;
        DWORD flags;
        BITMAPINFOHEADER outputFormat;
    };
    CompressCall CompressFrame(const BITMAPINFOHEADER& input, const Bytes& picture,
                               LONG outputWidth, LONG outputHeight, std::size_t outputBytes,
                               DWORD hostFlags = 0);

    // Begin, compress one picture, end.
    Bytes Compress(const PictureFormat& format, LONG width, LONG height, const Bytes& picture);

    // One ICM_DECOMPRESS on the running session into `picture` (its size is the buffer); the
    // frame ends where an unreadable page begins, and its format claims `frameBytes`.
    LRESULT DecompressFrame(const Bytes& frame, DWORD frameBytes, const BITMAPINFOHEADER& output,
                            Bytes& picture, DWORD flags = 0);

    // Begin, decompress one frame into a buffer filled with 0xCD, end.
    Bytes Decompress(const Bytes& frame, const PictureFormat& format, LONG width, LONG height);

    DWORD_PTR id_ = 0;
};
