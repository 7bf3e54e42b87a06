// The number of processors the field workers plan for, with a seam for tests.
#pragma once

#include "platform/win_api.h"

// The processor count the system reports, unless a test has set one.
DWORD ProcessorCount();

// Makes ProcessorCount answer `count` (0 returns to the system's count).
void SetProcessorCountForTesting(DWORD count);
