// Dialog 102: the format's description, the text about the codec and the build stamp that the
// module's own version block carries.
#include "common/driver_heap.h"
#include "settings/dialog_ids.h"
#include "settings/dialogs.h"
#include "settings/resource_strings.h"

namespace {

constexpr int kTextSize = 1024;

// The stamp sits in the US English, Unicode string table: its translation must be listed.
bool HasUsEnglishUnicodeStrings(const void* versionBlock) {
    const WORD* pairs = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueA(versionBlock, "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(const_cast<WORD**>(&pairs)), &bytes)) {
        return false;
    }
    for (UINT pair = 0; pair + 1 < bytes / sizeof(WORD); pair += 2) {
        if (pairs[pair] == 1033 && pairs[pair + 1] == 1200) {
            return true;
        }
    }
    return false;
}

void CopySpecialBuild(const void* versionBlock, LPSTR stamp) {
    char valueName[64];
    wsprintfA(valueName, "\\StringFileInfo\\%04x%04x\\SpecialBuild", 1033, 1200);
    LPSTR value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(versionBlock, valueName, reinterpret_cast<void**>(&value), &length) &&
        value != nullptr) {
        lstrcpynA(stamp, value, kTextSize);
    }
}

// Leaves the stamp as it is when the module has no usable version block.
void ReadBuildStamp(HMODULE module, LPSTR stamp) {
    char path[MAX_PATH];
    if (GetModuleFileNameA(module, path, sizeof path) == 0) {
        return;
    }
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &unused);
    void* versionBlock = size != 0 ? DriverHeapAlloc(size) : nullptr;
    if (versionBlock == nullptr) {
        return;
    }
    if (GetFileVersionInfoA(path, 0, size, versionBlock) &&
        HasUsEnglishUnicodeStrings(versionBlock)) {
        CopySpecialBuild(versionBlock, stamp);
    }
    DriverHeapFree(versionBlock);
}

void AppendString(HMODULE module, UINT id, LPSTR text) {
    char line[kTextSize] = "";
    LoadStringA(module, id, line, sizeof line);
    lstrcatA(text, line);
}

void OpenDialog(HWND dialog, HMODULE module) {
    char stamp[kTextSize] = "not available.";
    char text[4 * kTextSize] = "";
    AppendString(module, IDS_QLNU_DESCRIPTION, text);
    lstrcatA(text, "\n\n");
    AppendString(module, IDS_ABOUT_TEXT, text);
    lstrcatA(text, "\n\n");
    AppendString(module, IDS_BUILD, text);
    ReadBuildStamp(module, stamp);
    lstrcatA(text, ": ");
    lstrcatA(text, stamp);
    SendDlgItemMessageA(dialog, IDC_ABOUT_TEXT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OpenDialog(dialog, reinterpret_cast<HMODULE>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR ShowAboutDialog(HMODULE module, HWND parent) {
    return DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_ABOUT), parent, AboutDialogProc,
                           reinterpret_cast<LPARAM>(module));
}
