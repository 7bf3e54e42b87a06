// Binding to the video board's interface library, loaded at run time when it is installed.
#pragma once

#include "board/board_api.h"
#include "platform/win_api.h"

// 1 when the board answered the version test at DRV_LOAD; cleared at DRV_FREE.
extern BYTE BoardUsable;

// Process attach: loads the library and resolves every entry point (stubs where it cannot).
// Answers 1 when the library is bound, and 1 at once when a library is already held.
int BindBoardLibrary();
// Process detach: frees the library and puts every entry point back on its stub.
void UnbindBoardLibrary();
// 1 only when the library loaded, reported ready and every entry point resolved.
int IsBoardLibraryBound();
// DRV_LOAD: sets BoardUsable from the board's version.
void TestBoard();
