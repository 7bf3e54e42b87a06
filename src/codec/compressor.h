// A compression session: made by ICM_COMPRESS_BEGIN, run by ICM_COMPRESS, destroyed by
// ICM_COMPRESS_END, the next begin or the instance's close.
#pragma once

#include "codec/scratch_block.h"
#include "common/codec_state.h"
#include "common/driver_heap.h"
#include "platform/win_api.h"

class Compressor : public HeapObject {
public:
    // Prepares the session for frames; false when it could not get what it needs.
    virtual bool Begin(const BITMAPINFOHEADER* input, const CodecState* state) = 0;
    // Writes one QLNU frame for the request; answers ICERR_OK in every case.
    virtual LONG CompressFrame(ICCOMPRESS* request) = 0;
    // A slot for derived sessions; nothing in the driver calls it.
    virtual void Hook() = 0;

    // The field order swap's copy of the picture; freed with the session.
    ScratchBlock& Scratch() { return scratch_; }

private:
    ScratchBlock scratch_;
};
