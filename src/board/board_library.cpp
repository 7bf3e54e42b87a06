#include "board/board_library.h"

BYTE BoardUsable = 0;

BoardEntryPoints BoardApi = {
#define BOARD_ENTRY(name, argumentCount) BoardFunction<argumentCount>::Stub,
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
};

namespace {

// The version a usable board answers from vdc_get_version.
constexpr DWORD_PTR kUsableBoardVersion = 1073;

HMODULE ghBoardLibrary = nullptr;
int gBoardLibraryBound{};

// GetProcAddress answers one generic function type; an entry point's own type comes from the
// table. The detour through void (*)() is the conversion the compiler accepts between
// unrelated function types without a warning.
template <typename Pointer>
Pointer EntryPointAs(FARPROC address) {
    return reinterpret_cast<Pointer>(reinterpret_cast<void (*)()>(address));
}

// Points the slot at the library's function, or at the stub when there is none. Answers
// whether the name resolved.
template <typename Pointer>
bool ResolveEntryPoint(HMODULE library, LPCSTR name, Pointer& slot, Pointer stub) {
    const FARPROC address = library != nullptr ? GetProcAddress(library, name) : nullptr;
    slot = address != nullptr ? EntryPointAs<Pointer>(address) : stub;
    return address != nullptr;
}

// Resolves every slot, the missing ones on their stubs; without a library, all of them.
// Answers 1 only when every name resolved.
int ResolveBoardApi(HMODULE library) {
    bool allResolved = true;
#define BOARD_ENTRY(name, argumentCount) \
    allResolved &=                       \
        ResolveEntryPoint(library, #name, BoardApi.name, &BoardFunction<argumentCount>::Stub);
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
    return allResolved ? 1 : 0;
}

bool LibraryReportsReady(HMODULE library) {
    using StatusFunction = BoardFunction<0>::Pointer;
    const auto status = EntryPointAs<StatusFunction>(GetProcAddress(library, "qlndll_status"));
    return status != nullptr && status() != 0;
}

}  // namespace

int BindBoardLibrary() {
    if (ghBoardLibrary != nullptr) {
        return 1;
    }
    ghBoardLibrary = LoadLibraryA("QLNINTER.DLL");
    if (ghBoardLibrary != nullptr && !LibraryReportsReady(ghBoardLibrary)) {
        FreeLibrary(ghBoardLibrary);
        ghBoardLibrary = nullptr;
    }
    gBoardLibraryBound = ResolveBoardApi(ghBoardLibrary);
    return gBoardLibraryBound;
}

void UnbindBoardLibrary() {
    gBoardLibraryBound = 0;
    if (ghBoardLibrary != nullptr) {
        FreeLibrary(ghBoardLibrary);
        ghBoardLibrary = nullptr;
    }
    ResolveBoardApi(nullptr);
}

int IsBoardLibraryBound() {
    return gBoardLibraryBound;
}

void TestBoard() {
    BoardUsable = gBoardLibraryBound != 0 && BoardApi.vdc_get_version() == kUsableBoardVersion;
}
