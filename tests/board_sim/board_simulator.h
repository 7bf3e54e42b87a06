// The board simulator's side of the test interface: what it records of each call and the
// commands that change how it answers. The simulator stands in for the board's interface
// library in tests; the driver never calls the two control exports below.
#pragma once

#include <cstddef>

#include "platform/win_api.h"

// The entry points by their position in the library's list.
enum class BoardEntry : DWORD_PTR {
#define BOARD_ENTRY(name, argumentCount) name,
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
};

constexpr std::size_t kMaxBoardArguments = 5;

// One call to an entry point, as the simulator saw and answered it.
struct QlnsimCall {
    BoardEntry entry;
    DWORD_PTR argumentCount;
    DWORD_PTR arguments[kMaxBoardArguments];
    DWORD_PTR result;
};

// The first argument of qlnsim_control.
enum class QlnsimCommand : DWORD_PTR {
    // Back to the defaults: qlndll_status 1, vdc_get_version 1073, every resource granted, no
    // ring, an empty call log. The value is not used.
    Reset,
    // What qlndll_status answers from now on.
    SetStatus,
    // What vdc_get_version answers from now on.
    SetVersion,
    // A resource number that vdc_register refuses (answers 0) from now on.
    RefuseRegister,
};

// qlnsim_control(command, value): answers 1 for a known command, 0 otherwise.
using QlnsimControlFunction = DWORD_PTR(WINAPI*)(DWORD_PTR command, DWORD_PTR value);
// qlnsim_calls(&first): answers the number of calls logged since the last reset and points
// first at the oldest; the records stay valid until the next call into the simulator.
using QlnsimCallsFunction = DWORD_PTR(WINAPI*)(const QlnsimCall** first);
