#include "board/board_library.h"

BYTE BoardUsable = 0;

int BindBoardLibrary() { return 0; }

void UnbindBoardLibrary() {}

int IsBoardLibraryBound() { return 0; }

void TestBoard() { BoardUsable = 0; }
