#pragma once

#include "platform/win_api.h"

// The module that holds the driver's code: the DLL or shared object, or the program that the
// driver's code is linked into.
HMODULE CodeModule();
