// A decompression session: made by ICM_DECOMPRESS_BEGIN, run by ICM_DECOMPRESS, destroyed by
// ICM_DECOMPRESS_END, the next begin or the instance's close.
#pragma once

#include "codec/scratch_block.h"
#include "common/codec_state.h"
#include "common/driver_heap.h"
#include "platform/win_api.h"

class Decompressor : public HeapObject {
public:
    // Prepares the session for frames; false when it could not get what it needs.
    virtual bool Begin(const BITMAPINFOHEADER* output, const CodecState* state) = 0;
    // Decodes one QLNU frame for the request: ICERR_OK, or ICERR_BADFORMAT for a frame it
    // refuses (then nothing is written).
    virtual LONG DecompressFrame(ICDECOMPRESS* request) = 0;

    // The field order swap's copy of the picture; freed with the session.
    ScratchBlock& Scratch() { return scratch_; }

protected:
    // The output layout of the latest frame.
    DWORD outputFourCC_ = 0;

private:
    ScratchBlock scratch_;
};
