#include "settings/app_list_rules.h"

#include <cstring>

#include "settings/file_name.h"
#include "settings/settings_store.h"
#include "settings/yuv_restricted_apps.h"

namespace {

constexpr Refusal kAlreadyListed = {"This file already selected", "Multiple selection"};
constexpr Refusal kListFull = {"Maximum application number is reached", "Maximum selection"};

// The index of the first item equal to name, or -1.
int FindItem(const AppListItems& list, LPCSTR name, bool ignoreCase) {
    char item[kYuvRestrictedAppNameSize];
    for (int index = 0; index < list.Count(); ++index) {
        list.Text(index, item, sizeof item);
        if ((ignoreCase ? lstrcmpiA(item, name) : std::strcmp(item, name)) == 0) {
            return index;
        }
    }
    return -1;
}

// Answers the index that was selected, or -1 when nothing was and so nothing was deleted.
int DeleteSelected(AppListItems& list) {
    const int selected = list.Selected();
    if (selected >= 0) {
        list.Delete(selected);
    }
    return selected;
}

// Copies the first items, in list order, into the slots and empties the slots left over.
template <int slots, int size>
void CopyItems(const AppListItems& list, char (&entries)[slots][size]) {
    const int count = list.Count() < slots ? list.Count() : slots;
    for (int slot = 0; slot < slots; ++slot) {
        entries[slot][0] = '\0';
        if (slot < count) {
            list.Text(slot, entries[slot], size);
        }
    }
}

}  // namespace

void ListFullScreenApps(AppListItems& list) {
    for (const char* slot : FullScreenApps) {
        if (slot[0] != '\0') {
            list.Add(slot);
        }
    }
    list.Select(0);
}

void AddTypedFullScreenApp(AppListItems& list, LPCSTR typed) {
    const LPCSTR name = FileNamePart(typed, "\\/:");
    if (name[0] != '\0' && FindItem(list, name, true) < 0) {
        list.Select(list.Add(name));
    }
}

void RemoveSelectedFullScreenApp(AppListItems& list) {
    const int deleted = DeleteSelected(list);
    if (deleted >= 0) {
        list.Select(deleted < list.Count() ? deleted : list.Count() - 1);
    }
}

void ConfirmConfiguration(const AppListItems& list, const ConfigureChecks& checks,
                          CodecState& state) {
    state.FastDCT = checks.fastDct ? 1 : 0;
    state.ChangeFieldsOrder = checks.changeFieldsOrder ? 1 : 0;
    state.FiltrateAlpha = checks.dontFilterAlpha ? 0 : 1;
    DefaultCodecState.FastDCT = state.FastDCT;
    DefaultCodecState.ChangeFieldsOrder = state.ChangeFieldsOrder;
    DefaultCodecState.FiltrateAlpha = state.FiltrateAlpha;
    CopyItems(list, FullScreenApps);
    SaveSettings();
}

void ListYuvRestrictedApps(AppListItems& list) {
    for (const char* entry : YuvRestrictedApps) {
        if (entry[0] == '\0') {
            break;
        }
        list.Add(entry);
    }
}

const Refusal* AddPickedYuvRestrictedApp(AppListItems& list, LPSTR fileTitle) {
    CharUpperA(fileTitle);
    if (FindItem(list, fileTitle, false) >= 0) {
        return &kAlreadyListed;
    }
    if (list.Count() >= kYuvRestrictedAppSlots) {
        return &kListFull;
    }
    list.Add(fileTitle);
    return nullptr;
}

void DeleteSelectedYuvRestrictedApp(AppListItems& list) {
    const int deleted = DeleteSelected(list);
    if (deleted >= 0) {
        list.Select(deleted);
    }
}

void ConfirmYuvRestrictedApps(const AppListItems& list) {
    CopyItems(list, YuvRestrictedApps);
    SaveYuvRestrictedApps();
}
