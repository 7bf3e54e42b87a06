// The 12-byte option record that hosts fetch with ICM_GETSTATE and give back with
// ICM_SETSTATE. Its byte layout is an external format.
#pragma once

#include <cstddef>

#include "platform/win_api.h"

struct CodecState {
    DWORD Handler;           // the bytes "QLNU", kept exactly as a host gave them
    DWORD ReservedValue;     // carried and exchanged, never interpreted
    BYTE FiltrateAlpha;      // stored option, 0 or 1
    BYTE ChangeFieldsOrder;  // non-zero: frames go through the field order swap
    BYTE FastDCT;            // stored option, 0 or 1
    BYTE ReservedFlag;       // carried and exchanged, never interpreted
};
static_assert(sizeof(CodecState) == 12);
static_assert(offsetof(CodecState, ReservedValue) == 4);
static_assert(offsetof(CodecState, FiltrateAlpha) == 8);
static_assert(offsetof(CodecState, ChangeFieldsOrder) == 9);
static_assert(offsetof(CodecState, FastDCT) == 10);
static_assert(offsetof(CodecState, ReservedFlag) == 11);

inline constexpr DWORD kReservedStateValue = 8000;

// The state a host gets back after ICM_SETSTATE without a buffer, and that the driver starts from.
inline constexpr CodecState kFactoryCodecState = {
    mmioFOURCC('Q', 'L', 'N', 'U'), kReservedStateValue, 1, 0, 1, 1};

// The driver-wide options: loaded from the registry at process attach, changed by the
// configuration dialog, and copied into every new instance.
extern CodecState DefaultCodecState;
