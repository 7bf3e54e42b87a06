#pragma once

#include "platform/win_api.h"

// ICM_GETINFO: describes the codec in the host's 568-byte ICINFO record.
LRESULT GetCodecInfo(ICINFO* info, DWORD size);
