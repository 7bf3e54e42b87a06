#include "settings/settings_store.h"

#include <cstdio>
#include <cstring>

#include "common/codec_state.h"
#include "settings/file_name.h"

char FullScreenApps[kFullScreenAppSlots][kFullScreenAppNameSize];

namespace {

constexpr LPCSTR kKeyLevels[] = {"Software", "Orvane", "Quillon", "Codec"};
constexpr int kLevelCount = 4;

constexpr LPCSTR kDefaultFullScreenApps[] = {"PREMIERE.EXE", "CLIPDESK.EXE"};

// The codec's key, reached one level at a time; every level opened is closed with the object.
class CodecKey {
  public:
    CodecKey() = default;
    ~CodecKey() { Close(); }

    CodecKey(const CodecKey&) = delete;
    CodecKey& operator=(const CodecKey&) = delete;

    bool Open(REGSAM access) {
        while (opened_ < kLevelCount) {
            if (RegOpenKeyExA(Parent(), kKeyLevels[opened_], 0, access, &keys_[opened_]) !=
                ERROR_SUCCESS) {
                return false;
            }
            ++opened_;
        }
        return true;
    }

    bool Create(REGSAM access) {
        while (opened_ < kLevelCount) {
            char noClass[] = "";
            DWORD disposition = 0;
            if (RegCreateKeyExA(Parent(), kKeyLevels[opened_], 0, noClass, REG_OPTION_NON_VOLATILE,
                                access, nullptr, &keys_[opened_], &disposition) != ERROR_SUCCESS) {
                return false;
            }
            ++opened_;
        }
        return true;
    }

    HKEY Leaf() const { return keys_[kLevelCount - 1]; }

    void Close() {
        while (opened_ > 0) {
            RegCloseKey(keys_[--opened_]);
        }
    }

  private:
    HKEY Parent() const { return opened_ == 0 ? HKEY_CLASSES_ROOT : keys_[opened_ - 1]; }

    HKEY keys_[kLevelCount] = {};
    int opened_ = 0;
};

struct DwordValue {
    bool found;
    DWORD value;
    DWORD size;
};

// A value counts only when it can be read and is stored as REG_DWORD.
DwordValue ReadDword(HKEY key, LPCSTR name) {
    DwordValue read{false, 0, sizeof(DWORD)};
    DWORD type = REG_NONE;
    read.found = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&read.value),
                                  &read.size) == ERROR_SUCCESS &&
                 type == REG_DWORD;
    return read;
}

bool ReadFlag(HKEY key, LPCSTR name, BYTE& flag) {
    const DwordValue read = ReadDword(key, name);
    if (read.found) {
        flag = read.value != 0 ? 1 : 0;
    }
    return read.found;
}

void WriteDword(HKEY key, LPCSTR name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteString(HKEY key, LPCSTR name, LPCSTR text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text) + 1));
}

struct AppValueName {
    char text[16];
};

AppValueName AppValueNameFor(int number) {
    AppValueName name;
    std::snprintf(name.text, sizeof name.text, "App%d", number);
    return name;
}

void EmptySlotsFrom(int first) {
    for (int slot = first; slot < kFullScreenAppSlots; ++slot) {
        std::memset(FullScreenApps[slot], 0, kFullScreenAppNameSize);
    }
}

// Reads "App1" up to "App<count>" into the first slots and answers how many were read. The list
// ends at the first value that is missing, too long for a slot or not a string.
int ReadFullScreenApps(HKEY key, LONG count) {
    int read = 0;
    while (read < count) {
        char* slot = FullScreenApps[read];
        DWORD type = REG_NONE;
        DWORD size = kFullScreenAppNameSize;
        if (RegQueryValueExA(key, AppValueNameFor(read + 1).text, nullptr, &type,
                             reinterpret_cast<LPBYTE>(slot), &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            break;
        }
        // A string stored without its terminating zero still ends inside the slot.
        slot[size < kFullScreenAppNameSize ? size : kFullScreenAppNameSize - 1] = '\0';
        ++read;
    }
    return read;
}

}  // namespace

bool LoadSettings() {
    CodecKey key;
    if (!key.Open(KEY_READ) || !ReadFlag(key.Leaf(), "FastDCT", DefaultCodecState.FastDCT) ||
        !ReadFlag(key.Leaf(), "ChangeFieldsOrder", DefaultCodecState.ChangeFieldsOrder) ||
        !ReadFlag(key.Leaf(), "FiltrateAlpha", DefaultCodecState.FiltrateAlpha)) {
        return false;
    }
    const DwordValue appCount = ReadDword(key.Leaf(), "AppCount");
    const auto count = static_cast<LONG>(appCount.value);
    if (!appCount.found || appCount.size < 1 || count > kFullScreenAppSlots) {
        return false;
    }
    EmptySlotsFrom(ReadFullScreenApps(key.Leaf(), count));
    return true;
}

void WriteDefaultSettings() {
    EmptySlotsFrom(0);
    for (int slot = 0; slot < 2; ++slot) {
        std::strcpy(FullScreenApps[slot], kDefaultFullScreenApps[slot]);
    }
    CodecKey key;
    if (!key.Create(KEY_WRITE)) {
        return;
    }
    WriteDword(key.Leaf(), "FiltrateAlpha", 1);
    WriteDword(key.Leaf(), "FastDCT", 0);
    WriteDword(key.Leaf(), "ChangeFieldsOrder", 0);
    WriteDword(key.Leaf(), "AppCount", 2);
    WriteString(key.Leaf(), "App1", kDefaultFullScreenApps[0]);
    WriteString(key.Leaf(), "App2", kDefaultFullScreenApps[1]);
}

void SaveSettings() {
    CodecKey key;
    if (!key.Open(KEY_WRITE)) {
        return;
    }
    DWORD written = 0;
    for (const char* slot : FullScreenApps) {
        if (slot[0] != '\0') {
            WriteString(key.Leaf(), AppValueNameFor(static_cast<int>(++written)).text, slot);
        }
    }
    WriteDword(key.Leaf(), "AppCount", written);
    WriteDword(key.Leaf(), "FastDCT", DefaultCodecState.FastDCT != 0);
    WriteDword(key.Leaf(), "ChangeFieldsOrder", DefaultCodecState.ChangeFieldsOrder != 0);
    WriteDword(key.Leaf(), "FiltrateAlpha", DefaultCodecState.FiltrateAlpha != 0);
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
