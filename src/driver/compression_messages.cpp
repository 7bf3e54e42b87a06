#include "driver/compression_messages.h"

#include "codec/field_compressor.h"
#include "codec/field_order_swap.h"
#include "convert/mmx_state.h"
#include "driver/codec_instance.h"
#include "driver/formats/compression_formats.h"
#include "driver/formats/format_sizes.h"
#include "driver/session_lifetime.h"
#include "platform/fault_guard.h"

LRESULT CompressBegin(CodecInstance* instance, const BITMAPINFOHEADER* input,
                      const BITMAPINFOHEADER* output) {
    if (instance == nullptr) {
        return ICERR_UNSUPPORTED;
    }
    if (CheckCompressBegin(input, output) != ICERR_OK) {
        return ICERR_BADFORMAT;
    }
    return BeginSession<FieldCompressor>(instance->ActiveCompressor, input, &instance->State);
}

LRESULT Compress(CodecInstance* instance, ICCOMPRESS* request) {
    if (instance == nullptr) {
        return ICERR_UNSUPPORTED;
    }
    Compressor* session = instance->ActiveCompressor;
    if (session == nullptr) {
        return ICERR_ERROR;
    }
    const bool swapped = instance->State.ChangeFieldsOrder != 0;
    const bool completed = RunGuarded([&] {
        // A frame too big to count gets a size of 0, which no frame fits into.
        request->lpbiOutput->biSizeImage =
            static_cast<DWORD>(CompressedFrameSize(*request->lpbiInput).value_or(0));
        if (swapped) {
            CompressSwapped(*session, request);
        } else {
            session->CompressFrame(request);
        }
    });
    EmptyMmxState();
    if (!completed) {
        OutputDebugStringA("Exception in compress QLNU processing...\n");
    }
    return ICERR_OK;
}

LRESULT CompressEnd(CodecInstance* instance) {
    if (instance == nullptr) {
        return ICERR_UNSUPPORTED;
    }
    return EndSession(instance->ActiveCompressor);
}
