#include "driver/decompression_messages.h"

#include "codec/field_decompressor.h"
#include "codec/field_order_swap.h"
#include "convert/mmx_state.h"
#include "driver/codec_instance.h"
#include "driver/formats/decompression_formats.h"
#include "platform/fault_guard.h"

LRESULT DecompressBegin(CodecInstance* instance, const BITMAPINFOHEADER* input,
                        BITMAPINFOHEADER* output) {
    if (instance == nullptr) {
        return ICERR_UNSUPPORTED;
    }
    if (CheckDecompressBegin(input, output) != ICERR_OK) {
        return ICERR_BADFORMAT;
    }
    ReplaceOwned(instance->ActiveDecompressor, static_cast<Decompressor*>(nullptr));
    auto* session = new FieldDecompressor;
    if (session == nullptr) {
        return ICERR_BADFORMAT;
    }
    if (!session->Begin(output, &instance->State)) {
        delete session;
        return ICERR_ERROR;
    }
    instance->ActiveDecompressor = session;
    return ICERR_OK;
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
    const bool completed = RunGuarded([&] {
        if (swapped) {
            DecompressSwapped(*session, request);
        } else {
            session->DecompressFrame(request);
        }
    });
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
    ReplaceOwned(instance->ActiveDecompressor, static_cast<Decompressor*>(nullptr));
    return ICERR_OK;
}
