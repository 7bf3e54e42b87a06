// Every entry point of the board's interface library under its own name: each logs its call
// and answers 0, except the two that test the board, which answer as the test set them up.
#include <vector>

#include "board_simulator.h"

namespace {

constexpr DWORD_PTR kReadyStatus = 1;
constexpr DWORD_PTR kBoardVersion = 1073;

struct SimulatorState {
    DWORD_PTR status = kReadyStatus;
    DWORD_PTR version = kBoardVersion;
    std::vector<BoardEntry> calls;
};

SimulatorState gState;

DWORD_PTR Simulate(BoardEntry entry) {
    gState.calls.push_back(entry);
    switch (entry) {
        case BoardEntry::qlndll_status:
            return gState.status;
        case BoardEntry::vdc_get_version:
            return gState.version;
        default:
            return 0;
    }
}

}  // namespace

// Each entry point takes its own number of arguments (on 32-bit x86 the callee cleans them up
// by count), so the parameter lists are spelled out per count.
#define QLNSIM_PARAMETERS_0
#define QLNSIM_PARAMETERS_1 DWORD_PTR
#define QLNSIM_PARAMETERS_2 DWORD_PTR, DWORD_PTR
#define QLNSIM_PARAMETERS_3 DWORD_PTR, DWORD_PTR, DWORD_PTR
#define QLNSIM_PARAMETERS_4 DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR
#define QLNSIM_PARAMETERS_5 DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR

#define BOARD_ENTRY(name, argumentCount)                                  \
    extern "C" DWORD_PTR WINAPI name(QLNSIM_PARAMETERS_##argumentCount) { \
        return Simulate(BoardEntry::name);                                \
    }
#include "board/board_entry_points.h"
#undef BOARD_ENTRY

extern "C" DWORD_PTR WINAPI qlnsim_control(DWORD_PTR command, DWORD_PTR value) {
    switch (static_cast<QlnsimCommand>(command)) {
        case QlnsimCommand::Reset:
            gState = SimulatorState{};
            return 1;
        case QlnsimCommand::SetStatus:
            gState.status = value;
            return 1;
        case QlnsimCommand::SetVersion:
            gState.version = value;
            return 1;
    }
    return 0;
}

extern "C" DWORD_PTR WINAPI qlnsim_calls(const BoardEntry** first) {
    *first = gState.calls.data();
    return gState.calls.size();
}
