// A test's hold on a board simulator library, loaded by its path.
//
// A library that is already loaded answers a later load by its plain name (by module name on
// Windows, by soname on glibc). So while a test holds a simulator, the driver's
// LoadLibraryA("QLNINTER.DLL") binds that very library, and the test picks the variant by the
// path it loads. The simulator keeps its settings and log while anyone holds it.
#pragma once

#include <vector>

#include "board_simulator.h"

// The complete simulator, and the variant that leaves kMissingBoardEntry unexported.
inline constexpr const char* kBoardSimulatorPath = QLNSIM_LIBRARY_PATH;
inline constexpr const char* kBoardSimulatorMissingEntryPath = QLNSIM_MISSING_ENTRY_LIBRARY_PATH;
inline constexpr const char* kMissingBoardEntry = QLNSIM_MISSING_ENTRY;

class BoardSimulator {
public:
    // Loads the library and resets it to its defaults; IsLoaded tells whether that worked.
    explicit BoardSimulator(const char* path) : library_(LoadLibraryA(path)) {
        if (library_ != nullptr) {
            control_ = Resolve<QlnsimControlFunction>("qlnsim_control");
            calls_ = Resolve<QlnsimCallsFunction>("qlnsim_calls");
            received_ = Resolve<QlnsimReceivedFunction>("qlnsim_received");
            state_ = Resolve<QlnsimStateFunction>("qlnsim_state");
            shown_ = Resolve<QlnsimShownFunction>("qlnsim_shown");
            Control(QlnsimCommand::Reset);
        }
    }
    ~BoardSimulator() { Release(); }
    BoardSimulator(const BoardSimulator&) = delete;
    BoardSimulator& operator=(const BoardSimulator&) = delete;

    bool IsLoaded() const {
        return library_ != nullptr && control_ != nullptr && calls_ != nullptr &&
               received_ != nullptr && state_ != nullptr && shown_ != nullptr;
    }
    HMODULE Library() const { return library_; }

    DWORD_PTR Control(QlnsimCommand command, DWORD_PTR value = 0) const {
        return control_(static_cast<DWORD_PTR>(command), value);
    }

    std::vector<BoardCall> Calls() const { return Log(calls_); }
    std::vector<BoardEntry> CalledEntries() const {
        std::vector<BoardEntry> entries;
        for (const BoardCall& call : Calls()) {
            entries.push_back(call.entry);
        }
        return entries;
    }
    std::vector<ReceivedField> Received() const { return Log(received_); }
    std::vector<BYTE> ShownPicture(DWORD_PTR index) const {
        const BYTE* picture = nullptr;
        const DWORD_PTR size = shown_(index, &picture);
        return std::vector<BYTE>(picture, picture + size);
    }
    BoardState State() const {
        BoardState state{};
        state_(&state);
        return state;
    }

    // Lets go of the library: it stays loaded only while the driver holds it.
    void Release() {
        if (library_ != nullptr) {
            FreeLibrary(library_);
            library_ = nullptr;
        }
    }

private:
    template <typename Entry>
    static std::vector<Entry> Log(DWORD_PTR(WINAPI* read)(const Entry**)) {
        const Entry* first = nullptr;
        const DWORD_PTR count = read(&first);
        return std::vector<Entry>(first, first + count);
    }

    template <typename Function>
    Function Resolve(LPCSTR name) const {
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(library_, name)));
    }

    HMODULE library_;
    QlnsimControlFunction control_ = nullptr;
    QlnsimCallsFunction calls_ = nullptr;
    QlnsimReceivedFunction received_ = nullptr;
    QlnsimStateFunction state_ = nullptr;
    QlnsimShownFunction shown_ = nullptr;
};
