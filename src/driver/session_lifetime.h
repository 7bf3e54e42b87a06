// How an instance owns its working objects, and the begin and end steps that both session
// directions share: a begin replaces the session of its direction, an end destroys it.
#pragma once

#include "common/codec_state.h"
#include "platform/win_api.h"

// Destroys an owned object (sessions, renderers) and leaves its owner pointing at none.
template <typename T>
void DestroyOwned(T*& owner) {
    delete owner;
    owner = nullptr;
}

// Makes a new Session and begins it with `format` (the input format for compression, the
// output format for decompression), after destroying the old one. The two out-of-memory
// answers differ because hosts have always been given these codes: a session that cannot be
// made at all is answered like a refused format, so that the host may offer another one, while
// a session whose converter objects cannot be made is an error.
template <typename Session, typename Base>
LRESULT BeginSession(Base*& active, const BITMAPINFOHEADER* format, const CodecState* state) {
    DestroyOwned(active);
    auto* session = new Session;
    if (session == nullptr) {
        return ICERR_BADFORMAT;
    }
    if (!session->Begin(format, state)) {
        delete session;
        return ICERR_ERROR;
    }
    active = session;
    return ICERR_OK;
}

template <typename Base>
LRESULT EndSession(Base*& active) {
    DestroyOwned(active);
    return ICERR_OK;
}
