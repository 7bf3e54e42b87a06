// Dialog 105: the applications that are offered only RGB output.
#include "settings/app_list_rules.h"
#include "settings/dialog_ids.h"
#include "settings/dialogs.h"
#include "settings/list_box_items.h"
#include "settings/program_file_dialog.h"
#include "settings/yuv_restricted_apps.h"

namespace {

void PickProgram(HWND dialog) {
    const char filter[] = "Executable files (*.exe)\0*.exe\0All files (*.*)\0*.*\0";
    char fileTitle[MAX_PATH];
    const ProgramFileQuestion question = {"Choose application", filter, "", nullptr, MAX_PATH};
    if (!AskForProgramFile(dialog, question, fileTitle)) {
        return;
    }
    ListBoxItems list(dialog, IDC_YUV_LIST);
    if (const Refusal* refusal = AddPickedYuvRestrictedApp(list, fileTitle)) {
        MessageBoxA(dialog, refusal->text, refusal->caption, MB_ICONSTOP);
    }
}

void Command(HWND dialog, int id) {
    ListBoxItems list(dialog, IDC_YUV_LIST);
    switch (id) {
        case IDC_PICK:
            PickProgram(dialog);
            break;
        case IDC_DELETE:
            DeleteSelectedYuvRestrictedApp(list);
            break;
        case IDOK:
            ConfirmYuvRestrictedApps(list);
            EndDialog(dialog, 1);
            break;
        case IDCANCEL:
            EndDialog(dialog, 2);
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK YuvListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            ListBoxItems list(dialog, IDC_YUV_LIST);
            ListYuvRestrictedApps(list);
            return TRUE;
        }
        case WM_COMMAND:
            // Only plain clicks count; the list box's notifications carry a code.
            if (HIWORD(wParam) == BN_CLICKED) {
                Command(dialog, LOWORD(wParam));
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

// OK has saved the list already.
INT_PTR ShowYuvListDialog(HWND parent) {
    return DialogBoxParamA(ghYuvListModule, MAKEINTRESOURCEA(IDD_YUV_LIST), parent,
                           YuvListDialogProc, 0);
}
