// Values under HKEY_CLASSES_ROOT by path, so tests can fill the registry before the driver reads
// it and inspect it after the driver wrote it; and the running program's name, as the
// application lists see it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win_api.h"

inline constexpr LPCSTR kCodecKey = "Software\\Orvane\\Quillon\\Codec";
inline constexpr LPCSTR kYuvListKey =
    "SoftWare\\Telvik\\Common codec's settings\\YUV defective application";

struct StoredValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    DWORD Dword() const {
        DWORD value = 0;
        std::memcpy(&value, data.data(), std::min(data.size(), sizeof value));
        return value;
    }
    // The bytes as stored, terminating zero included when there is one.
    std::string Bytes() const { return std::string(data.begin(), data.end()); }
};

inline void PutValue(LPCSTR path, LPCSTR name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

inline void PutDword(LPCSTR path, LPCSTR name, DWORD value) {
    PutValue(path, name, REG_DWORD, &value, sizeof value);
}

// Stored with its terminating zero, as the driver stores names.
inline void PutString(LPCSTR path, LPCSTR name, const std::string& text) {
    PutValue(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline StoredValue GetValue(LPCSTR path, LPCSTR name) {
    StoredValue value;
    HKEY key = nullptr;
    value.status = RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key);
    if (value.status != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    value.status = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
    if (value.status == ERROR_SUCCESS) {
        value.data.resize(size);
        value.status = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size);
    }
    RegCloseKey(key);
    return value;
}

inline bool KeyExists(LPCSTR path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

inline std::string WithZero(const std::string& text) {
    return text + '\0';
}

// The names of an application list up to the last slot in use, each read no further than its
// own slot: a name whose terminator went past its slot shows with the bytes beyond it.
template <std::size_t slots, std::size_t size>
std::vector<std::string> ListedNames(const char (&list)[slots][size]) {
    std::vector<std::string> names;
    for (const char* slot : list) {
        names.emplace_back(slot, strnlen(slot, size));
    }
    while (!names.empty() && names.back().empty()) {
        names.pop_back();
    }
    return names;
}

// "0.EXE", "1.EXE" and so on.
inline std::vector<std::string> NumberedNames(int count) {
    std::vector<std::string> names;
    for (int number = 0; number < count; ++number) {
        names.push_back(std::to_string(number) + ".EXE");
    }
    return names;
}

// Cut out here rather than by FileNamePart, which the tests check through it.
inline std::string OwnFileName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string whole = path;
    return whole.substr(whole.find_last_of("\\/") + 1);
}

// Every test starts from an empty registry.
class EmptyRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { PosixRegistryReset(); }
    void TearDown() override { ExpectHandlesClosedAndReset(); }
    // Every handle the code under test opened is closed again, and no call went to a key that
    // failed to open; also between the cases of a table, which each start from an empty registry.
    static void ExpectHandlesClosedAndReset() {
        EXPECT_EQ(PosixRegistryOpenHandleCount(), 0u);
        EXPECT_EQ(PosixRegistryInvalidHandleUses(), 0u);
        PosixRegistryReset();
    }
};
