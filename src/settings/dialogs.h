// The driver's modal dialogs, built from the resources of its module. Without a window system
// (POSIX) they show nothing, change nothing and answer 0.
#pragma once

#include "common/codec_state.h"
#include "platform/win_api.h"

// Edits the option flags of `state` and the full-screen application list; from it "Advanced"
// opens the YUV-restricted list. 1 after OK, which stores and saves everything; 0 after Cancel.
INT_PTR ShowConfigureDialog(HMODULE module, HWND parent, CodecState& state);
// Edits the YUV-restricted list, from the module that loaded the list. 1 after OK, which saves
// the list; 2 after Cancel.
INT_PTR ShowYuvListDialog(HWND parent);
// The format's description, the text about the codec and the build stamp of the module's
// version block. 1 after OK, 0 after Cancel (Escape).
INT_PTR ShowAboutDialog(HMODULE module, HWND parent);
