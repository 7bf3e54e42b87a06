// One open of the driver: its option record and the at most three working objects it owns.
#pragma once

#include "board/renderer.h"
#include "codec/compressor.h"
#include "codec/decompressor.h"
#include "common/codec_state.h"
#include "common/driver_heap.h"

class CodecInstance final : public HeapObject {
public:
    // Starts from the factory state with the option bytes of DefaultCodecState.
    CodecInstance();
    // Destroys the compression session, then the decompression session, then the renderer.
    ~CodecInstance() override;

    CodecInstance(const CodecInstance&) = delete;
    CodecInstance& operator=(const CodecInstance&) = delete;

    // ICM_GETSTATE and ICM_SETSTATE: byte counts as the messages answer them.
    LRESULT GetState(void* buffer, DWORD size) const;
    LRESULT SetState(const void* buffer, DWORD size);

    CodecState State;
    Renderer* ActiveRenderer = nullptr;
    Compressor* ActiveCompressor = nullptr;
    Decompressor* ActiveDecompressor = nullptr;
};
