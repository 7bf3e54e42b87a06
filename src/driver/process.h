// Process-wide start-up and shut-down of the driver. ProcessAttach (declared with the library
// entry point) makes the heap, remembers the module handle, loads the application lists and
// settings and binds the board library; ProcessDetach unbinds the board library, then destroys
// the heap and every instance still open with it.
#pragma once

#include "platform/library_entry.h"

// The driver's own module, for its resources. Set at process attach.
extern HMODULE ghModule;
