// A stand-in for the board's interface library: exports every entry point under its own name,
// logs each call with its arguments and answers as a ready board with a playback ring would.
// Tests steer it through qlnsim_control and read the log through qlnsim_calls.
#include <algorithm>
#include <initializer_list>
#include <vector>

#include "board_simulator.h"

namespace {

constexpr DWORD_PTR kReadyStatus = 1;
constexpr DWORD_PTR kBoardVersion = 1073;
constexpr DWORD_PTR kGranted = 1;
constexpr DWORD_PTR kAccepted = 1;

struct SimulatorState {
    DWORD_PTR status = kReadyStatus;
    DWORD_PTR version = kBoardVersion;
    std::vector<DWORD_PTR> refusedResources;
    std::vector<QlnsimCall> calls;
    // The playback ring handed out by vdc_AllocVideoFifo, and where vdc_CheckFreeSize places
    // the next block.
    std::vector<BYTE> ring;
    DWORD_PTR ringNextOffset = 0;
};

SimulatorState gState;

DWORD_PTR Register(DWORD_PTR resource) {
    const auto& refused = gState.refusedResources;
    return std::find(refused.begin(), refused.end(), resource) == refused.end() ? kGranted : 0;
}

// The size comes in and goes back through a 32-bit variable of the caller.
DWORD_PTR AllocateRing(DWORD_PTR sizeAddress) {
    const auto* size = reinterpret_cast<const DWORD*>(sizeAddress);
    gState.ring.assign(*size, 0);
    gState.ringNextOffset = 0;
    return reinterpret_cast<DWORD_PTR>(gState.ring.data());
}

void ReleaseRing() {
    gState.ring = std::vector<BYTE>();
    gState.ringNextOffset = 0;
}

// There is always room: blocks follow each other around the ring.
DWORD_PTR PlaceInRing(DWORD_PTR byteCount) {
    const DWORD_PTR offset = gState.ringNextOffset;
    if (!gState.ring.empty()) {
        gState.ringNextOffset = (offset + byteCount) % gState.ring.size();
    }
    return offset;
}

DWORD_PTR Answer(BoardEntry entry, const DWORD_PTR* arguments) {
    switch (entry) {
        case BoardEntry::qlndll_status:
            return gState.status;
        case BoardEntry::vdc_get_version:
            return gState.version;
        case BoardEntry::vdc_register:
            return Register(arguments[0]);
        case BoardEntry::vdc_AllocVideoFifo:
            return AllocateRing(arguments[0]);
        case BoardEntry::vdc_ReleaseVideoFifo:
            ReleaseRing();
            return 0;
        case BoardEntry::vdc_SetFormat:
            return kAccepted;
        case BoardEntry::vdc_CheckFreeSize:
            return PlaceInRing(arguments[0]);
        default:
            return 0;
    }
}

DWORD_PTR Simulate(BoardEntry entry, std::initializer_list<DWORD_PTR> arguments) {
    QlnsimCall call{entry, arguments.size(), {}, 0};
    std::copy(arguments.begin(), arguments.end(), call.arguments);
    call.result = Answer(entry, call.arguments);
    gState.calls.push_back(call);
    return call.result;
}

}  // namespace

// Each entry point takes its own number of arguments (the calling convention cleans them up by
// count), so the parameter lists are spelled out per count.
#define QLNSIM_PARAMETERS_0
#define QLNSIM_PARAMETERS_1 DWORD_PTR a
#define QLNSIM_PARAMETERS_2 DWORD_PTR a, DWORD_PTR b
#define QLNSIM_PARAMETERS_3 DWORD_PTR a, DWORD_PTR b, DWORD_PTR c
#define QLNSIM_PARAMETERS_4 DWORD_PTR a, DWORD_PTR b, DWORD_PTR c, DWORD_PTR d
#define QLNSIM_PARAMETERS_5 DWORD_PTR a, DWORD_PTR b, DWORD_PTR c, DWORD_PTR d, DWORD_PTR e
#define QLNSIM_ARGUMENTS_0
#define QLNSIM_ARGUMENTS_1 a
#define QLNSIM_ARGUMENTS_2 a, b
#define QLNSIM_ARGUMENTS_3 a, b, c
#define QLNSIM_ARGUMENTS_4 a, b, c, d
#define QLNSIM_ARGUMENTS_5 a, b, c, d, e

#define BOARD_ENTRY(name, argumentCount)                                       \
    extern "C" DWORD_PTR WINAPI name(QLNSIM_PARAMETERS_##argumentCount) {      \
        return Simulate(BoardEntry::name, {QLNSIM_ARGUMENTS_##argumentCount}); \
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
        case QlnsimCommand::RefuseRegister:
            gState.refusedResources.push_back(value);
            return 1;
    }
    return 0;
}

extern "C" DWORD_PTR WINAPI qlnsim_calls(const QlnsimCall** first) {
    *first = gState.calls.data();
    return gState.calls.size();
}
