#include "settings/registry_key.h"

#include <cstring>

RegKey::~RegKey() {
    Close();
}

bool RegKey::Opened(LONG status, REGSAM access) {
    if (status != ERROR_SUCCESS) {
        key_ = nullptr;
        return false;
    }
    access_ = access;
    return true;
}

bool RegKey::OpenExisting(HKEY parent, LPCSTR path, REGSAM access) {
    Close();
    return Opened(RegOpenKeyExA(parent, path, 0, access, &key_), access);
}

bool RegKey::Create(HKEY parent, LPCSTR path, REGSAM access) {
    Close();
    return Opened(RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                  nullptr, &key_, nullptr),
                  access);
}

bool RegKey::Open(HKEY parent, LPCSTR path, REGSAM access) {
    return OpenExisting(parent, path, access) || Create(parent, path, access);
}

RegKey::ReadResult RegKey::Read(LPCSTR name, void* buffer, DWORD size) const {
    ReadResult result{.type = REG_NONE, .size = size};
    result.read = RegQueryValueExA(key_, name, nullptr, &result.type, static_cast<LPBYTE>(buffer),
                                   &result.size) == ERROR_SUCCESS;
    return result;
}

bool RegKey::QueryValue(LPCSTR name, DWORD type, void* buffer, DWORD size,
                        const void* defaultValue) {
    if (Read(name, buffer, size).read) {
        return true;
    }
    if (defaultValue == nullptr) {
        return false;
    }
    const DWORD defaultSize =
        type == REG_SZ ? static_cast<DWORD>(std::strlen(static_cast<LPCSTR>(defaultValue))) : size;
    SetValue(name, type, defaultValue, defaultSize);
    return Read(name, buffer, size).read;
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
