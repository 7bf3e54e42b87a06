#include "driver/compression_messages.h"

#include "codec/field_compressor.h"
#include "codec/field_order_swap.h"
#include "convert/mmx_state.h"
#include "driver/codec_instance.h"
#include "driver/formats/compression_formats.h"
#include "driver/formats/format_sizes.h"
#include "driver/session_lifetime.h"
#include "platform/fault_guard.h"

namespace {

// A frame is converted only when its own headers describe a picture that ICM_COMPRESS_BEGIN
// would accept, so that every size the frame step computes comes from a checked format. Headers
// that disagree with each other (in layout, bit count, width or height) would make it read
// outside the host's picture; such a frame is refused before any byte is read or written.
bool IsConvertibleRequest(const ICCOMPRESS* request) {
    return request->lpbiOutput != nullptr &&
           CheckCompressBegin(request->lpbiInput, request->lpbiOutput) == ICERR_OK;
}

// The host learns the size of the frame its picture makes before anything else happens, so a
// refused frame too tells it what the input calls for.
void SizeOutputFromInput(const ICCOMPRESS* request) {
    if (request->lpbiInput == nullptr || request->lpbiOutput == nullptr) {
        return;
    }
    if (const auto frameSize = CompressedFrameSize(*request->lpbiInput)) {
        request->lpbiOutput->biSizeImage = static_cast<DWORD>(*frameSize);
    }
}

}  // namespace

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
    void** picture = nullptr;  // the host's lpInput, put back however the frame ends
    void* hostPicture = nullptr;
    const bool completed = RunGuarded([&] {
        SizeOutputFromInput(request);
        if (!IsConvertibleRequest(request)) {
            return;
        }
        picture = &request->lpInput;
        hostPicture = *picture;
        if (swapped) {
            CompressSwapped(*session, request);
        } else {
            session->CompressFrame(request);
        }
    });
    // A fault inside the swap must not leave the host's request pointing at the scratch block.
    if (picture != nullptr) {
        *picture = hostPicture;
    }
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
