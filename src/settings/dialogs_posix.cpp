// No window system: no dialog opens and nothing is edited.
#include "settings/dialogs.h"

INT_PTR ShowConfigureDialog(HMODULE, HWND, CodecState&) {
    return 0;
}

INT_PTR ShowYuvListDialog(HWND) {
    return 0;
}

INT_PTR ShowAboutDialog(HMODULE, HWND) {
    return 0;
}
