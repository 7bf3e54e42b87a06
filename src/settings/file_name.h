// File names of running processes, as the application lists compare them.
#pragma once

#include "platform/win_api.h"

// The part of a path after its last separator (any character of separators): the file name
// without its folder. The whole path when it has no separator.
LPCSTR FileNamePart(LPCSTR path, LPCSTR separators);
