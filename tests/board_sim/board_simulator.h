// The board simulator's side of the test interface: the commands that change how it answers and
// the log of the entry points called. The simulator stands in for the board's interface library
// in tests; the driver never calls the two control exports below.
#pragma once

#include "platform/win_api.h"

// The entry points by their position in the library's list.
enum class BoardEntry : DWORD_PTR {
#define BOARD_ENTRY(name, argumentCount) name,
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
};

// The first argument of qlnsim_control.
enum class QlnsimCommand : DWORD_PTR {
    Reset,       // back to a ready board (qlndll_status 1, vdc_get_version 1073), empty log
    SetStatus,   // what qlndll_status answers from now on
    SetVersion,  // what vdc_get_version answers from now on
};

// qlnsim_control(command, value): answers 1 for a known command, 0 otherwise.
using QlnsimControlFunction = DWORD_PTR(WINAPI*)(DWORD_PTR command, DWORD_PTR value);
// qlnsim_calls(&first): answers the number of calls logged since the last reset and points
// first at the oldest; the log stays valid until the next call into the simulator.
using QlnsimCallsFunction = DWORD_PTR(WINAPI*)(const BoardEntry** first);
