// The driver's one export: every message of the Video Compression Manager arrives here.
#pragma once

#include "platform/win_api.h"

// The driver id of an open without open parameters: there is no instance behind it.
inline constexpr DWORD_PTR kConfigurationOnlyDriverId = 0xFFFFFFFF;

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR dwDriverId, HDRVR hDriver, UINT uMsg, LPARAM lParam1,
                                     LPARAM lParam2);
