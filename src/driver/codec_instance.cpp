#include "driver/codec_instance.h"

#include <cstring>

#include "common/fourcc.h"
#include "driver/session_lifetime.h"

CodecInstance::CodecInstance() : State(kFactoryCodecState) {
    State.FiltrateAlpha = DefaultCodecState.FiltrateAlpha;
    State.ChangeFieldsOrder = DefaultCodecState.ChangeFieldsOrder;
    State.FastDCT = DefaultCodecState.FastDCT;
}

CodecInstance::~CodecInstance() {
    DestroyOwned(ActiveCompressor);
    DestroyOwned(ActiveDecompressor);
    DestroyOwned(ActiveRenderer);
}

LRESULT CodecInstance::GetState(void* buffer, DWORD size) const {
    if (buffer == nullptr || size == 0) {
        return sizeof(CodecState);
    }
    if (size < sizeof(CodecState)) {
        return 0;
    }
    std::memcpy(buffer, &State, sizeof(CodecState));
    return sizeof(CodecState);
}

LRESULT CodecInstance::SetState(const void* buffer, DWORD size) {
    if (buffer == nullptr) {
        State = kFactoryCodecState;
        return sizeof(CodecState);
    }
    // The size is checked before the handler is read, so a short buffer is never over-read;
    // both refusals answer the same.
    if (size < sizeof(CodecState)) {
        return 0;
    }
    CodecState given;
    std::memcpy(&given, buffer, sizeof(CodecState));
    if (!IsQlnuHandler(given.Handler)) {
        return 0;
    }
    State = given;
    return sizeof(CodecState);
}
