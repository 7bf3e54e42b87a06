#include "settings/registry_key.h"

#include <cstring>

RegKey::~RegKey() {
    Close();
}

bool RegKey::Open(HKEY root, LPCSTR path, REGSAM access) {
    Close();
    if (RegOpenKeyExA(root, path, 0, access, &key_) != ERROR_SUCCESS) {
        key_ = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_,
                            &disposition) != ERROR_SUCCESS) {
            key_ = nullptr;
            return false;
        }
    }
    access_ = access;
    return true;
}

bool RegKey::Read(LPCSTR name, void* buffer, DWORD size) {
    return RegQueryValueExA(key_, name, nullptr, nullptr, static_cast<LPBYTE>(buffer), &size) ==
           ERROR_SUCCESS;
}

bool RegKey::QueryValue(LPCSTR name, DWORD type, void* buffer, DWORD size,
                        const void* defaultValue) {
    if (Read(name, buffer, size)) {
        return true;
    }
    if (defaultValue == nullptr) {
        return false;
    }
    const DWORD defaultSize =
        type == REG_SZ ? static_cast<DWORD>(std::strlen(static_cast<LPCSTR>(defaultValue))) : size;
    SetValue(name, type, defaultValue, defaultSize);
    return Read(name, buffer, size);
}

bool RegKey::SetValue(LPCSTR name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

void RegKey::Close() {
    if (key_ != nullptr) {
        RegCloseKey(key_);
    }
    key_ = nullptr;
    access_ = 0;
}
