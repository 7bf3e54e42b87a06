#include "driver/process.h"

#include "board/board_library.h"
#include "driver/driver_heap.h"

HMODULE ghModule = nullptr;

BOOL ProcessAttach(HMODULE module) {
    CreateDriverHeap();
    ghModule = module;
    BindBoardLibrary();
    return TRUE;
}

BOOL ProcessDetach() {
    UnbindBoardLibrary();
    DestroyDriverHeap();
    return TRUE;
}
