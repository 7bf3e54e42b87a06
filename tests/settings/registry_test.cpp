// The POSIX registry: the Windows behaviour that the settings code relies on.
#include <algorithm>
#include <iterator>

#include "settings/registry_values.h"

namespace {

class RegistryTest : public EmptyRegistryTest {
  protected:
    static HKEY Create(LPCSTR path, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  access, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }
    static HKEY Open(LPCSTR path, REGSAM access) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, access, &key), ERROR_SUCCESS);
        return key;
    }
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndBytes) {
    PutDword("A", "Number", 0x12345678);
    PutString("A", "Text", "NAME.EXE");
    const BYTE unterminated[] = {'a', 'b'};
    PutValue("A", "Raw", REG_SZ, unterminated, sizeof unterminated);

    const StoredValue number = GetValue("A", "Number");
    EXPECT_EQ(number.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number.data.size(), 4u);
    EXPECT_EQ(number.Dword(), 0x12345678u);
    const StoredValue text = GetValue("A", "Text");
    EXPECT_EQ(text.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text.Bytes(), WithZero("NAME.EXE"));
    EXPECT_EQ(GetValue("A", "Raw").Bytes(), "ab");
    EXPECT_EQ(GetValue("A", "Missing").status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AReadIntoTooSmallABufferFailsAndTellsTheSize) {
    PutString("A", "Text", std::string(64, 'x'));
    HKEY key = Open("A", KEY_READ);
    char buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    DWORD type = REG_NONE;
    DWORD size = sizeof buffer;
    EXPECT_EQ(
        RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, 65u);
    EXPECT_EQ(buffer[0], '#');
    // Without a buffer the size alone is asked for.
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 65u);
    char exact[65];
    EXPECT_EQ(
        RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<LPBYTE>(exact), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(std::string(exact), std::string(64, 'x'));
    RegCloseKey(key);
}

struct AccessCase {
    const char* name;
    REGSAM access;
    LONG read;
    LONG write;
    LONG createBelow;
};

const AccessCase kAccessCases[] = {
    {"Read", KEY_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {"Write", KEY_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_SUCCESS},
    {"ReadAndWrite", KEY_READ | KEY_WRITE, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS},
    {"QueryOnly", KEY_QUERY_VALUE, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {"SetOnly", KEY_SET_VALUE, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
    {"All", KEY_ALL_ACCESS, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS},
};

void PrintTo(const AccessCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistryAccessTest : public RegistryTest, public ::testing::WithParamInterface<AccessCase> {};

TEST_P(RegistryAccessTest, AHandleAllowsWhatItsAccessGrants) {
    PutDword("A", "Number", 1);
    PutValue("A\\Existing", "", REG_NONE, nullptr, 0);
    HKEY key = Open("A", GetParam().access);
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(
        RegQueryValueExA(key, "Number", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size),
        GetParam().read);
    const DWORD two = 2;
    EXPECT_EQ(RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two),
                             sizeof two),
              GetParam().write);
    HKEY below = nullptr;
    EXPECT_EQ(RegCreateKeyExA(key, "New", 0, nullptr, 0, KEY_READ, nullptr, &below, nullptr),
              GetParam().createBelow);
    RegCloseKey(below);
    // A key that exists needs no right on its parent to be opened or "created" again.
    DWORD disposition = 0;
    EXPECT_EQ(
        RegCreateKeyExA(key, "Existing", 0, nullptr, 0, KEY_READ, nullptr, &below, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(below);
    RegCloseKey(key);
}

INSTANTIATE_TEST_SUITE_P(Masks, RegistryAccessTest, ::testing::ValuesIn(kAccessCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryTest, CreateMakesEveryMissingLevelAndOpenFindsOnlyExistingOnes) {
    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "A\\B\\C", 0, KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
    DWORD disposition = 0;
    RegCloseKey(Create("A\\B\\C", KEY_WRITE, &disposition));
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(Create("A\\B\\C", KEY_WRITE, &disposition));
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));

    // One level at a time reaches the same key as the whole path.
    HKEY a = Open("A", KEY_READ);
    HKEY b = nullptr;
    HKEY c = nullptr;
    ASSERT_EQ(RegOpenKeyExA(a, "B", 0, KEY_READ, &b), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(b, "C", 0, KEY_WRITE, &c), ERROR_SUCCESS);
    const DWORD value = 7;
    EXPECT_EQ(RegSetValueExA(c, "V", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_SUCCESS);
    EXPECT_EQ(GetValue("A\\B\\C", "V").Dword(), 7u);
    for (HKEY key : {c, b, a}) {
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCase) {
    PutDword("Software\\Telvik", "Correct state", 1);
    EXPECT_EQ(GetValue("SOFTWARE\\telvik", "CORRECT STATE").Dword(), 1u);
    PutDword("SoftWare\\TELVIK", "correct state", 2);
    EXPECT_EQ(GetValue("Software\\Telvik", "Correct state").Dword(), 2u);
}

TEST_F(RegistryTest, DeletingAKeyTakesItsValuesAndLeavesItsParent) {
    PutDword("A\\B", "V", 1);
    PutDword("A", "W", 2);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "a\\b"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists("A\\B"));
    EXPECT_EQ(GetValue("A", "W").Dword(), 2u);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "A\\B"), ERROR_FILE_NOT_FOUND);
    // A recreated key starts without the old values.
    RegCloseKey(Create("A\\B"));
    EXPECT_EQ(GetValue("A\\B", "V").status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AKeyWithSubkeysIsNotDeleted) {
    PutDword("A\\B", "V", 1);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "A"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetValue("A\\B", "V").Dword(), 1u);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, HandlesOfADeletedKeyAnswerKeyDeleted) {
    HKEY key = Create("A");
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "A"), ERROR_SUCCESS);
    const DWORD value = 1;
    EXPECT_EQ(RegSetValueExA(key, "V", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_KEY_DELETED);
    EXPECT_FALSE(KeyExists("A"));
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ClosedAndForeignHandlesAreRefused) {
    HKEY key = Create("A");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    HKEY result = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, "", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ResetEmptiesTheRegistry) {
    PutDword("A", "V", 1);
    PosixRegistryReset();
    EXPECT_FALSE(KeyExists("A"));
}

}  // namespace
