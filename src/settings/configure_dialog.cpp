// Dialog 101: the option flags and the applications that always draw full-screen.
#include "settings/app_list_rules.h"
#include "settings/dialog_ids.h"
#include "settings/dialogs.h"
#include "settings/list_box_items.h"
#include "settings/program_file_dialog.h"
#include "settings/settings_store.h"

namespace {

CodecState& EditedState(HWND dialog) {
    return *reinterpret_cast<CodecState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void CheckFromFlag(HWND dialog, int id, BYTE flag) {
    CheckDlgButton(dialog, id, flag != 0 ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void OpenDialog(HWND dialog, CodecState* state) {
    ListBoxItems list(dialog, IDC_FULL_SCREEN_LIST);
    ListFullScreenApps(list);
    SetDlgItemTextA(dialog, IDC_NAME_EDIT, "");
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    CheckFromFlag(dialog, IDC_FAST_DCT, state->FastDCT);
    CheckFromFlag(dialog, IDC_CHANGE_FIELDS_ORDER, state->ChangeFieldsOrder);
    // The alpha option is kept in the registry but not offered: OK always sets it.
    ShowWindow(GetDlgItem(dialog, IDC_DONT_FILTER_ALPHA), SW_HIDE);
}

void AddTypedName(HWND dialog) {
    char typed[kFullScreenAppNameSize] = "";
    if (GetDlgItemTextA(dialog, IDC_NAME_EDIT, typed, sizeof typed) == 0) {
        return;
    }
    ListBoxItems list(dialog, IDC_FULL_SCREEN_LIST);
    AddTypedFullScreenApp(list, typed);
    SetDlgItemTextA(dialog, IDC_NAME_EDIT, "");
}

// The picked program's name goes into the edit box; "&Add" lists it.
void BrowseForProgram(HWND dialog) {
    char filter[] = "Applications (*.exe)|*.exe|";
    for (char& c : filter) {
        if (c == '|') {
            c = '\0';
        }
    }
    char fileTitle[MAX_PATH];
    const ProgramFileQuestion question = {"Choose Application", filter, "*.exe", "EXE", 64};
    if (AskForProgramFile(dialog, question, fileTitle)) {
        SetDlgItemTextA(dialog, IDC_NAME_EDIT, fileTitle);
    }
}

void Confirm(HWND dialog) {
    const ConfigureChecks checks = {IsChecked(dialog, IDC_FAST_DCT),
                                    IsChecked(dialog, IDC_CHANGE_FIELDS_ORDER),
                                    IsChecked(dialog, IDC_DONT_FILTER_ALPHA)};
    ConfirmConfiguration(ListBoxItems(dialog, IDC_FULL_SCREEN_LIST), checks, EditedState(dialog));
    EndDialog(dialog, 1);
}

void Command(HWND dialog, int id) {
    ListBoxItems list(dialog, IDC_FULL_SCREEN_LIST);
    switch (id) {
        case IDC_ADD:
            AddTypedName(dialog);
            break;
        case IDC_REMOVE:
            RemoveSelectedFullScreenApp(list);
            break;
        case IDC_BROWSE:
            BrowseForProgram(dialog);
            break;
        case IDC_ADVANCED:
            ShowYuvListDialog(dialog);
            break;
        case IDOK:
            Confirm(dialog);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OpenDialog(dialog, reinterpret_cast<CodecState*>(lParam));
            return TRUE;
        case WM_COMMAND:
            Command(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR ShowConfigureDialog(HMODULE module, HWND parent, CodecState& state) {
    return DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_CONFIGURE), parent, ConfigureDialogProc,
                           reinterpret_cast<LPARAM>(&state));
}
