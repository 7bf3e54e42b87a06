// The applications that mishandle packed-YUV output and are offered only RGB when they
// decompress, kept in the registry under a key that several codecs share.
#pragma once

#include "platform/win_api.h"

inline constexpr int kYuvRestrictedAppSlots = 16;
// A file name without folder of up to 260 bytes read from the registry, always terminated.
inline constexpr int kYuvRestrictedAppNameSize = 261;

// Upper-cased names; the first empty entry ends the list.
extern char YuvRestrictedApps[kYuvRestrictedAppSlots][kYuvRestrictedAppNameSize];

// The module whose resources the list's dialog is built from.
extern HMODULE ghYuvListModule;

// Remembers the module and loads the list. A missing key, or a list not marked complete, is
// replaced by the default list, which is saved.
void LoadYuvRestrictedApps(HMODULE module);
// Replaces the stored list with the one in memory, marking it complete last.
void SaveYuvRestrictedApps();
// True when the running program may only be offered RGB output. Asked afresh on every call.
bool IsYuvRestrictedApp();
