#include "driver/process.h"

#include "board/board_library.h"
#include "common/driver_heap.h"
#include "settings/settings_store.h"
#include "settings/yuv_restricted_apps.h"

HMODULE ghModule = nullptr;

BOOL ProcessAttach(HMODULE module) {
    CreateDriverHeap();
    ghModule = module;
    LoadYuvRestrictedApps(module);
    if (!LoadSettings()) {
        WriteDefaultSettings();
    }
    BindBoardLibrary();
    return TRUE;
}

BOOL ProcessDetach() {
    UnbindBoardLibrary();
    DestroyDriverHeap();
    return TRUE;
}
