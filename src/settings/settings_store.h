// The codec's option flags and the list of applications that always draw full-screen, kept in
// the registry under HKEY_CLASSES_ROOT\Software\Orvane\Quillon\Codec.
#pragma once

#include "platform/win_api.h"

inline constexpr int kFullScreenAppSlots = 16;
// A file name without folder of at most 63 characters and its terminating zero.
inline constexpr int kFullScreenAppNameSize = 64;

// Names in use fill the first slots; a slot whose first byte is 0 is empty.
extern char FullScreenApps[kFullScreenAppSlots][kFullScreenAppNameSize];

// Reads the flags into DefaultCodecState and the list into FullScreenApps. False when the
// registry does not hold a complete set; flags read before the failure keep their new values.
bool LoadSettings();
// Puts the default list in memory and the default flags and list in the registry. The flags in
// memory stay as they are.
void WriteDefaultSettings();
// Writes the flags of DefaultCodecState and the list to an existing key.
void SaveSettings();
// True when the running program's file name is in FullScreenApps, ignoring case.
bool IsFullScreenApp();
