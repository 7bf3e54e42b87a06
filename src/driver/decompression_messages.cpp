#include "driver/decompression_messages.h"

#include "codec/field_decompressor.h"
#include "codec/field_order_swap.h"
#include "convert/mmx_state.h"
#include "driver/codec_instance.h"
#include "driver/formats/decompression_formats.h"
#include "driver/session_lifetime.h"
#include "platform/fault_guard.h"

LRESULT DecompressBegin(CodecInstance* instance, const BITMAPINFOHEADER* input,
                        BITMAPINFOHEADER* output) {
    if (instance == nullptr) {
        return ICERR_UNSUPPORTED;
    }
    if (CheckDecompressBegin(input, output) != ICERR_OK) {
        return ICERR_BADFORMAT;
    }
    return BeginSession<FieldDecompressor>(instance->ActiveDecompressor, output, &instance->State);
}

LRESULT Decompress(CodecInstance* instance, ICDECOMPRESS* request) {
    if (instance == nullptr) {
        return ICERR_UNSUPPORTED;
    }
    Decompressor* session = instance->ActiveDecompressor;
    if (session == nullptr) {
        return ICERR_ERROR;
    }
    const bool swapped = instance->State.ChangeFieldsOrder != 0;
    void** picture = nullptr;  // the host's lpOutput, put back however the frame ends
    void* hostPicture = nullptr;
    const bool completed = RunGuarded([&] {
        // A frame is decoded only when its own headers describe a frame and a picture that
        // ICM_DECOMPRESS_BEGIN would accept, so every size the frame step and the field order
        // swap compute comes from a checked format; other frames are refused untouched.
        if (!IsDecodableFrame(request->lpbiInput, request->lpbiOutput)) {
            return;
        }
        picture = &request->lpOutput;
        hostPicture = *picture;
        if (swapped) {
            DecompressSwapped(*session, request);
        } else {
            session->DecompressFrame(request);
        }
    });
    // A fault inside the swap must not leave the host's request pointing at the scratch block.
    if (picture != nullptr) {
        *picture = hostPicture;
    }
    EmptyMmxState();
    if (!completed) {
        OutputDebugStringA("QLNU Decompress: Exception while during decompress\n");
    }
    return ICERR_OK;
}

LRESULT DecompressEnd(CodecInstance* instance) {
    if (instance == nullptr) {
        return ICERR_UNSUPPORTED;
    }
    return EndSession(instance->ActiveDecompressor);
}
