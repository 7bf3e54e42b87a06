// The board simulator: a stand-in for the board's interface library, for tests and for people
// who want to see what a stream would look like on the board's output without the board.
//
// It keeps what the board keeps: the resources registered, a ring buffer of the size it is
// asked for, the format, the output and input window placement, the playback state and time
// counter. It answers vdc_CheckFreeSize from the room left in its ring, takes in the fields
// that vdc_AddData announces, and "shows" whole frames on demand, or by itself while running
// when the ring is full, which frees their room and turns their fields into pictures.
//
// Beside the board's entry points it exports the control functions below, which the driver
// never calls: qlnsim_control, qlnsim_calls, qlnsim_state, qlnsim_received and qlnsim_shown.
#pragma once

#include "platform/win_api.h"

// The entry points by their position in the library's list.
enum class BoardEntry : DWORD_PTR {
#define BOARD_ENTRY(name, argumentCount) name,
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
};

// The first argument of qlnsim_control; what the second one means.
enum class QlnsimCommand : DWORD_PTR {
    Reset,              // back to a ready board with the settings below, empty logs
    SetStatus,          // what qlndll_status answers (1)
    SetVersion,         // what vdc_get_version answers (1073)
    RefuseResource,     // vdc_register answers 0 for this resource number from now on
    RefuseRing,         // vdc_AllocVideoFifo answers 0 (value 1) or works (value 0)
    RefuseFormat,       // vdc_SetFormat answers 0 (value 1) or accepts (value 0)
    SetRingSize,        // the ring size handed back; 0 (the default): the size asked for
    SetOutputSize,      // width | height << 16 (720 x 576)
    SetEnabledWindows,  // what vdc_input_get_enabled_window answers (0)
    SetInputPosition,   // x | y << 16, what vdc_input_get_scale gives (0, 0)
    SetShowWhenFull,    // 1: while running, a full ring shows its oldest frame to make room
    ShowFrames,         // shows up to `value` complete frames; answers how many it showed
    WritePictures,      // value: a folder (const char*); writes each shown picture as a PNG
                        // file there and answers how many (0 on Windows builds)
};

enum class Playback : DWORD { Stopped, Paused, Running };

// One call of an entry point, with its arguments (unused ones 0).
struct BoardCall {
    BoardEntry entry;
    DWORD_PTR arguments[5];
};

// One field announced by vdc_AddData, with the bytes the ring held for it at that moment.
struct ReceivedField {
    LONG time;
    DWORD field;
    DWORD kind;
    DWORD byteCount;
    DWORD ringOffset;
    const BYTE* bytes;
};

struct BoardState {
    Playback playback;
    LONG time;                // what vdc_GetTime answers
    DWORD requestedRingSize;  // what the last vdc_AllocVideoFifo was asked for
    DWORD ringSize;           // 0 while no ring is allocated
    DWORD ringBytesInUse;     // announced and not yet shown
    DWORD framesWaiting;      // complete frames not yet shown
    DWORD framesShown;
    DWORD formatWidth, formatHeight, timingB, timingA;  // the last accepted vdc_SetFormat
    BOOL inputWindowEnabled;  // window 2, as vdc_input_set_enabled_window left it
    LONG inputX, inputY, inputWidth, inputHeight;  // the last vdc_input_set_scale
    DWORD blender;                                 // the last vdc_mixer_blender_set
    DWORD_PTR registered;                          // bit n: resource n is registered
};

// qlnsim_control(command, value): answers as the command says, 1 for the plain settings, 0
// for an unknown command.
using QlnsimControlFunction = DWORD_PTR(WINAPI*)(DWORD_PTR command, DWORD_PTR value);
// The logs answer their length and point `first` at the oldest entry; they stay valid until
// the next call into the simulator.
using QlnsimCallsFunction = DWORD_PTR(WINAPI*)(const BoardCall** first);
using QlnsimReceivedFunction = DWORD_PTR(WINAPI*)(const ReceivedField** first);
using QlnsimStateFunction = DWORD_PTR(WINAPI*)(BoardState* state);
// qlnsim_shown(index, &picture): the index-th picture shown (UYVY, lines top to bottom, in the
// format's size); answers its size in bytes, 0 past the last one.
using QlnsimShownFunction = DWORD_PTR(WINAPI*)(DWORD_PTR index, const BYTE** picture);
