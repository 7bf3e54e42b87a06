#include "settings/settings_store.h"

#include <array>
#include <cstring>
#include <iterator>

#include "common/codec_state.h"
#include "settings/file_name.h"
#include "settings/registry_key.h"

char FullScreenApps[kFullScreenAppSlots][kFullScreenAppNameSize];

namespace {

constexpr LPCSTR kKeyLevels[] = {"Software", "Orvane", "Quillon", "Codec"};

constexpr LPCSTR kDefaultFullScreenApps[] = {"PREMIERE.EXE", "CLIPDESK.EXE"};

// The codec's key is reached one level at a time. The array closes its levels leaf first.
using CodecKeyLevels = std::array<RegKey, std::size(kKeyLevels)>;

// Opens the levels in turn (creating the missing ones when asked); false at the first level that
// does not open, with the levels above it left open for the array to close.
bool OpenCodecKey(CodecKeyLevels& levels, REGSAM access, bool createMissing) {
    HKEY parent = HKEY_CLASSES_ROOT;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        RegKey& key = levels[level];
        const bool opened = createMissing ? key.Create(parent, kKeyLevels[level], access)
                                          : key.OpenExisting(parent, kKeyLevels[level], access);
        if (!opened) {
            return false;
        }
        parent = key.Handle();
    }
    return true;
}

struct DwordValue {
    bool found;
    DWORD value;
    DWORD size;
};

// A value counts only when it can be read and is stored as REG_DWORD.
DwordValue ReadDword(const RegKey& key, LPCSTR name) {
    DWORD value = 0;
    const RegKey::ReadResult read = key.Read(name, &value, sizeof value);
    return {read.read && read.type == REG_DWORD, value, read.size};
}

bool ReadFlag(const RegKey& key, LPCSTR name, BYTE& flag) {
    const DwordValue read = ReadDword(key, name);
    if (read.found) {
        flag = read.value != 0 ? 1 : 0;
    }
    return read.found;
}

void WriteDword(RegKey& key, LPCSTR name, DWORD value) {
    key.SetValue(name, REG_DWORD, &value, sizeof value);
}

void WriteString(RegKey& key, LPCSTR name, LPCSTR text) {
    key.SetValue(name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

// One value per slot in use: "App" and the name's number, counted from 1.
constexpr LPCSTR kAppValueNames[kFullScreenAppSlots] = {
    "App1", "App2",  "App3",  "App4",  "App5",  "App6",  "App7",  "App8",
    "App9", "App10", "App11", "App12", "App13", "App14", "App15", "App16"};

// The slots in use, numbered from "App1" without gaps, and their count.
void WriteFullScreenApps(RegKey& key) {
    DWORD written = 0;
    for (const char* slot : FullScreenApps) {
        if (slot[0] != '\0') {
            WriteString(key, kAppValueNames[written++], slot);
        }
    }
    WriteDword(key, "AppCount", written);
}

void EmptySlotsFrom(int first) {
    for (auto* slot = std::begin(FullScreenApps) + first; slot != std::end(FullScreenApps);
         ++slot) {
        std::memset(*slot, 0, sizeof *slot);
    }
}

// Reads "App1" up to "App<count>" into the first slots and answers how many were read. The list
// ends at the first value that is missing, too long for a slot or not a string.
int ReadFullScreenApps(const RegKey& key, LONG count) {
    int read = 0;
    while (read < count) {
        char* slot = FullScreenApps[read];
        const RegKey::ReadResult name =
            key.Read(kAppValueNames[read], slot, kFullScreenAppNameSize);
        if (!name.read || name.type != REG_SZ) {
            break;
        }
        // A string stored without its terminating zero still ends inside the slot.
        slot[name.size < kFullScreenAppNameSize ? name.size : kFullScreenAppNameSize - 1] = '\0';
        ++read;
    }
    return read;
}

}  // namespace

bool LoadSettings() {
    CodecKeyLevels levels;
    const RegKey& key = levels.back();
    if (!OpenCodecKey(levels, KEY_READ, false) ||
        !ReadFlag(key, "FastDCT", DefaultCodecState.FastDCT) ||
        !ReadFlag(key, "ChangeFieldsOrder", DefaultCodecState.ChangeFieldsOrder) ||
        !ReadFlag(key, "FiltrateAlpha", DefaultCodecState.FiltrateAlpha)) {
        return false;
    }
    const DwordValue appCount = ReadDword(key, "AppCount");
    const auto count = static_cast<LONG>(appCount.value);
    if (!appCount.found || appCount.size < 1 || count > kFullScreenAppSlots) {
        return false;
    }
    EmptySlotsFrom(ReadFullScreenApps(key, count));
    return true;
}

void WriteDefaultSettings() {
    EmptySlotsFrom(0);
    int slot = 0;
    for (const LPCSTR name : kDefaultFullScreenApps) {
        std::strcpy(FullScreenApps[slot++], name);
    }
    CodecKeyLevels levels;
    if (!OpenCodecKey(levels, KEY_WRITE, true)) {
        return;
    }
    RegKey& key = levels.back();
    WriteDword(key, "FiltrateAlpha", 1);
    WriteDword(key, "FastDCT", 0);
    WriteDword(key, "ChangeFieldsOrder", 0);
    WriteFullScreenApps(key);
}

void SaveSettings() {
    CodecKeyLevels levels;
    if (!OpenCodecKey(levels, KEY_WRITE, false)) {
        return;
    }
    RegKey& key = levels.back();
    WriteFullScreenApps(key);
    WriteDword(key, "FastDCT", DefaultCodecState.FastDCT != 0);
    WriteDword(key, "ChangeFieldsOrder", DefaultCodecState.ChangeFieldsOrder != 0);
    WriteDword(key, "FiltrateAlpha", DefaultCodecState.FiltrateAlpha != 0);
}

bool IsFullScreenApp() {
    char path[256] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    path[sizeof path - 1] = '\0';
    const LPCSTR name = FileNamePart(path, "\\/:");
    // Empty slots take part too: they only match an empty name.
    for (const char* slot : FullScreenApps) {
        if (lstrcmpiA(name, slot) == 0) {
            return true;
        }
    }
    return false;
}
