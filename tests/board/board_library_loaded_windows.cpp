#include "board_library_loaded.h"
#include "platform/win_api.h"

bool BoardLibraryIsLoaded() {
    return GetModuleHandleA("QLNINTER.DLL") != nullptr;
}
