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
            Control(QlnsimCommand::Reset);
        }
    }
    ~BoardSimulator() { Release(); }
    BoardSimulator(const BoardSimulator&) = delete;
    BoardSimulator& operator=(const BoardSimulator&) = delete;

    bool IsLoaded() const {
        return library_ != nullptr && control_ != nullptr && calls_ != nullptr;
    }
    HMODULE Library() const { return library_; }

    DWORD_PTR Control(QlnsimCommand command, DWORD_PTR value = 0) const {
        return control_(static_cast<DWORD_PTR>(command), value);
    }

    std::vector<BoardEntry> CalledEntries() const {
        const BoardEntry* first = nullptr;
        const DWORD_PTR count = calls_(&first);
        return std::vector<BoardEntry>(first, first + count);
    }

    // Lets go of the library: it stays loaded only while the driver holds it.
    void Release() {
        if (library_ != nullptr) {
            FreeLibrary(library_);
            library_ = nullptr;
        }
    }

private:
    template <typename Function>
    Function Resolve(LPCSTR name) const {
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(library_, name)));
    }

    HMODULE library_;
    QlnsimControlFunction control_ = nullptr;
    QlnsimCallsFunction calls_ = nullptr;
};
