#include "settings/yuv_restricted_apps.h"

#include <cstring>

#include "settings/file_name.h"
#include "settings/registry_key.h"

char YuvRestrictedApps[kYuvRestrictedAppSlots][kYuvRestrictedAppNameSize];
HMODULE ghYuvListModule = nullptr;

namespace {

constexpr LPCSTR kListKey = "SoftWare\\Telvik\\Common codec's settings\\YUV defective application";
constexpr REGSAM kListAccess = KEY_READ | KEY_WRITE;
constexpr LPCSTR kCompleteValue = "Correct state";
// Names are read with one byte less than an entry holds, so every entry stays terminated.
constexpr DWORD kNameReadSize = kYuvRestrictedAppNameSize - 1;

// One value per entry: "Application" and the entry's index as two upper-case hexadecimal
// digits.
constexpr LPCSTR kApplicationValueNames[kYuvRestrictedAppSlots] = {
    "Application00", "Application01", "Application02", "Application03",
    "Application04", "Application05", "Application06", "Application07",
    "Application08", "Application09", "Application0A", "Application0B",
    "Application0C", "Application0D", "Application0E", "Application0F"};

void ClearList() {
    std::memset(YuvRestrictedApps, 0, sizeof YuvRestrictedApps);
}

// True only for a list that the last save finished.
bool ReadList() {
    RegKey key;
    if (!key.Open(HKEY_CLASSES_ROOT, kListKey, kListAccess)) {
        return false;
    }
    ClearList();
    DWORD complete = 0;
    if (!key.QueryValue(kCompleteValue, REG_DWORD, &complete, sizeof complete) || complete != 1) {
        return false;
    }
    int index = 0;
    for (char* entry : YuvRestrictedApps) {
        if (!key.QueryValue(kApplicationValueNames[index++], REG_SZ, entry, kNameReadSize)) {
            // A read that failed for want of room may have left part of the name behind.
            std::memset(entry, 0, kYuvRestrictedAppNameSize);
            break;
        }
        CharUpperA(entry);
    }
    return true;
}

// True when every name of the list went into the key.
bool WriteList(RegKey& key) {
    int index = 0;
    for (const char* entry : YuvRestrictedApps) {
        if (entry[0] == '\0') {
            break;  // the first empty entry ends the list
        }
        if (!key.SetValue(kApplicationValueNames[index++], REG_SZ, entry,
                          static_cast<DWORD>(std::strlen(entry) + 1))) {
            return false;
        }
    }
    return true;
}

}  // namespace

void LoadYuvRestrictedApps(HMODULE module) {
    ghYuvListModule = module;
    if (!ReadList()) {
        ClearList();
        std::strcpy(YuvRestrictedApps[0], "WMPLAYER.EXE");
        SaveYuvRestrictedApps();
    }
}

void SaveYuvRestrictedApps() {
    // Deleting first leaves no names of a longer earlier list behind.
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kListKey);
    RegKey key;
    if (!key.Open(HKEY_CLASSES_ROOT, kListKey, kListAccess)) {
        return;
    }
    // Written last, and only after every name, so that a save that was interrupted or failed
    // part-way leaves a list that the next load replaces rather than takes for the whole one.
    if (WriteList(key)) {
        const DWORD complete = 1;
        key.SetValue(kCompleteValue, REG_DWORD, &complete, sizeof complete);
    }
}

bool IsYuvRestrictedApp() {
    char path[MAX_PATH] = "";
    if (GetModuleFileNameA(nullptr, path, sizeof path) == 0) {
        return true;
    }
    path[sizeof path - 1] = '\0';
    // Windows paths end their folders with backslashes, POSIX paths with slashes.
    const LPCSTR name = FileNamePart(path, "\\/");
    for (const char* entry : YuvRestrictedApps) {
        if (entry[0] == '\0') {
            break;
        }
        if (lstrcmpiA(name, entry) == 0) {
            return true;
        }
    }
    return false;
}
