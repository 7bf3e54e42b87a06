// What the library's entry point calls when the loader attaches or detaches the process. The
// platform layer owns the entry point (DllMain, or the shared object's constructor and
// destructor); the driver defines these two steps.
#pragma once

#include "platform/win_api.h"

// Always succeeds.
BOOL ProcessAttach(HMODULE module);
BOOL ProcessDetach();
