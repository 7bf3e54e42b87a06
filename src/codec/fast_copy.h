// The processor-dispatched block copy for bytes that need no conversion.
#pragma once

#include "platform/win_api.h"

// Copies `count` bytes; the areas must not overlap. A fault during the copy (an unreadable
// source, say) ends it quietly, leaving what was copied so far.
void FastCopy(void* destination, const void* source, DWORD count);
