// Process-wide start-up and shut-down of the driver.
#pragma once

#include "platform/win_api.h"

// The driver's own module, for its resources. Set at process attach.
extern HMODULE ghModule;

// Process attach: heap, module handle, application lists and settings, board library.
// Always succeeds.
BOOL ProcessAttach(HMODULE module);
// Process detach: board library, then the heap (and every instance still open with it).
BOOL ProcessDetach();
