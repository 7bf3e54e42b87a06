// Every entry point of the board's interface library under its own name, each logging its call
// and acting on the simulated board; the entry points the driver does not use answer 0.
#include "shown_pictures.h"
#include "simulated_board.h"

namespace {

SimulatedBoard gBoard;

template <typename Value>
Value* Out(DWORD_PTR pointer) {
    return reinterpret_cast<Value*>(pointer);
}

DWORD_PTR Playing(Playback playback) {
    gBoard.SetPlayback(playback);
    return 1;
}

DWORD_PTR Simulate(BoardEntry entry, const DWORD_PTR (&a)[5]) {
    gBoard.calls.push_back({entry, {a[0], a[1], a[2], a[3], a[4]}});
    switch (entry) {
        case BoardEntry::qlndll_status:
            return gBoard.status;
        case BoardEntry::vdc_get_version:
            return gBoard.version;
        case BoardEntry::vdc_register:
            return gBoard.Register(a[0]);
        case BoardEntry::vdc_unregister:
            return gBoard.Unregister(a[0]), 1;
        case BoardEntry::vdc_unregister_all:
            return gBoard.UnregisterAll(), 1;
        case BoardEntry::vdc_AllocVideoFifo:
            return gBoard.AllocateRing(Out<DWORD>(a[0]));
        case BoardEntry::vdc_ReleaseVideoFifo:
            return gBoard.ReleaseRing(), 1;
        case BoardEntry::vdc_SetFormat:
            return gBoard.SetFormat(a[0], a[1], a[2], a[3]);
        case BoardEntry::vdc_output_get_scale:
            *Out<LONG>(a[2]) = gBoard.outputWidth;
            *Out<LONG>(a[3]) = gBoard.outputHeight;
            return 1;
        case BoardEntry::vdc_input_get_enabled_window:
            return gBoard.enabledWindows;
        case BoardEntry::vdc_input_get_scale:
            *Out<LONG>(a[0]) = gBoard.inputPositionX;
            *Out<LONG>(a[1]) = gBoard.inputPositionY;
            return 1;
        case BoardEntry::vdc_input_set_enabled_window:
            return gBoard.SetInputWindow(a[0], a[1]), 1;
        case BoardEntry::vdc_input_set_scale:
            gBoard.SetInputScale(static_cast<LONG>(a[0]), static_cast<LONG>(a[1]),
                                 static_cast<LONG>(a[2]), static_cast<LONG>(a[3]));
            return 1;
        case BoardEntry::vdc_mixer_blender_set:
            return gBoard.SetBlender(a[0]), 1;
        case BoardEntry::vdc_CheckFreeSize:
            return gBoard.CheckFreeSize(a[0]);
        case BoardEntry::vdc_AddData:
            return gBoard.AddData(a[0], a[1], a[2], a[3]), 1;
        case BoardEntry::vdc_Run:
            return Playing(Playback::Running);
        case BoardEntry::vdc_Pause:
            return Playing(Playback::Paused);
        case BoardEntry::vdc_Stop:
            return Playing(Playback::Stopped);
        case BoardEntry::vdc_Flush:
            return gBoard.Flush(), 1;
        case BoardEntry::vdc_ResetCounter:
            return gBoard.ResetCounter(static_cast<LONG>(a[1])), 1;
        case BoardEntry::vdc_GetTime:
            return static_cast<DWORD_PTR>(gBoard.Time());
        default:
            return 0;
    }
}

DWORD_PTR Control(QlnsimCommand command, DWORD_PTR value) {
    switch (command) {
        case QlnsimCommand::Reset:
            gBoard = SimulatedBoard{};
            return 1;
        case QlnsimCommand::SetStatus:
            return gBoard.status = value, 1;
        case QlnsimCommand::SetVersion:
            return gBoard.version = value, 1;
        case QlnsimCommand::RefuseResource:
            return gBoard.refusedResources.insert(value), 1;
        case QlnsimCommand::RefuseRing:
            return gBoard.refuseRing = value != 0, 1;
        case QlnsimCommand::RefuseFormat:
            return gBoard.refuseFormat = value != 0, 1;
        case QlnsimCommand::SetRingSize:
            return gBoard.ringSizeHandedBack = static_cast<DWORD>(value), 1;
        case QlnsimCommand::SetOutputSize:
            gBoard.outputWidth = static_cast<LONG>(value & 0xFFFF);
            gBoard.outputHeight = static_cast<LONG>(value >> 16 & 0xFFFF);
            return 1;
        case QlnsimCommand::SetEnabledWindows:
            return gBoard.enabledWindows = value, 1;
        case QlnsimCommand::SetInputPosition:
            gBoard.inputPositionX = static_cast<LONG>(value & 0xFFFF);
            gBoard.inputPositionY = static_cast<LONG>(value >> 16 & 0xFFFF);
            return 1;
        case QlnsimCommand::SetShowWhenFull:
            return gBoard.showWhenFull = value != 0, 1;
        case QlnsimCommand::ShowFrames:
            return gBoard.ShowFrames(static_cast<DWORD>(value));
        case QlnsimCommand::WritePictures:
            return WriteShownPictures(gBoard, reinterpret_cast<const char*>(value));
    }
    return 0;
}

}  // namespace

// Each entry point takes its own number of arguments (on 32-bit x86 the callee cleans them up
// by count), so the parameter lists are spelled out per count.
#define QLNSIM_PARAMETERS_0
#define QLNSIM_PARAMETERS_1 DWORD_PTR a0
#define QLNSIM_PARAMETERS_2 QLNSIM_PARAMETERS_1, DWORD_PTR a1
#define QLNSIM_PARAMETERS_3 QLNSIM_PARAMETERS_2, DWORD_PTR a2
#define QLNSIM_PARAMETERS_4 QLNSIM_PARAMETERS_3, DWORD_PTR a3
#define QLNSIM_PARAMETERS_5 QLNSIM_PARAMETERS_4, DWORD_PTR a4
#define QLNSIM_ARGUMENTS_0 0, 0, 0, 0, 0
#define QLNSIM_ARGUMENTS_1 a0, 0, 0, 0, 0
#define QLNSIM_ARGUMENTS_2 a0, a1, 0, 0, 0
#define QLNSIM_ARGUMENTS_3 a0, a1, a2, 0, 0
#define QLNSIM_ARGUMENTS_4 a0, a1, a2, a3, 0
#define QLNSIM_ARGUMENTS_5 a0, a1, a2, a3, a4

#define BOARD_ENTRY(name, argumentCount)                                   \
    extern "C" DWORD_PTR WINAPI name(QLNSIM_PARAMETERS_##argumentCount) {  \
        const DWORD_PTR arguments[5] = {QLNSIM_ARGUMENTS_##argumentCount}; \
        return Simulate(BoardEntry::name, arguments);                      \
    }
#include "board/board_entry_points.h"
#undef BOARD_ENTRY

extern "C" DWORD_PTR WINAPI qlnsim_control(DWORD_PTR command, DWORD_PTR value) {
    return Control(static_cast<QlnsimCommand>(command), value);
}

extern "C" DWORD_PTR WINAPI qlnsim_calls(const BoardCall** first) {
    *first = gBoard.calls.data();
    return gBoard.calls.size();
}

extern "C" DWORD_PTR WINAPI qlnsim_received(const ReceivedField** first) {
    *first = gBoard.Received().data();
    return gBoard.Received().size();
}

extern "C" DWORD_PTR WINAPI qlnsim_state(BoardState* state) {
    *state = gBoard.State();
    return 1;
}

extern "C" DWORD_PTR WINAPI qlnsim_shown(DWORD_PTR index, const BYTE** picture) {
    if (index >= gBoard.Shown().size()) {
        return 0;
    }
    *picture = gBoard.Shown()[index].uyvy.data();
    return gBoard.Shown()[index].uyvy.size();
}
