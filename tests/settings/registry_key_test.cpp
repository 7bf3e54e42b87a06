// RegKey: one key, opened or created, read with an optional default, closed once.
#include <cstring>

#include "settings/registry_key.h"
#include "settings/registry_values.h"

namespace {

using RegKeyTest = EmptyRegistryTest;

TEST_F(RegKeyTest, OpenCreatesAMissingKeyAndRecordsTheAccess) {
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A\\B", KEY_READ | KEY_WRITE));
    EXPECT_TRUE(KeyExists("A\\B"));
    EXPECT_EQ(key.Access(), static_cast<REGSAM>(KEY_READ | KEY_WRITE));
    const DWORD value = 5;
    EXPECT_TRUE(key.SetValue("V", REG_DWORD, &value, sizeof value));
    key.Close();
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Access(), 0u);
    EXPECT_EQ(GetValue("A\\B", "V").Dword(), 5u);
}

TEST_F(RegKeyTest, AKeyOpenedForReadingIsNotWritten) {
    PutDword("A", "V", 1);
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A", KEY_READ));
    const DWORD value = 2;
    EXPECT_FALSE(key.SetValue("V", REG_DWORD, &value, sizeof value));
    DWORD read = 0;
    EXPECT_TRUE(key.QueryValue("V", REG_DWORD, &read, sizeof read));
    EXPECT_EQ(read, 1u);
}

TEST_F(RegKeyTest, QueryValueAcceptsAnyTypeAndFailsWithoutADefault) {
    PutString("A", "Text", "1");
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A", KEY_ALL_ACCESS));
    DWORD read = 0;
    EXPECT_TRUE(key.QueryValue("Text", REG_DWORD, &read, sizeof read));
    EXPECT_EQ(read, static_cast<DWORD>('1'));
    EXPECT_FALSE(key.QueryValue("Missing", REG_DWORD, &read, sizeof read));
    EXPECT_EQ(GetValue("A", "Missing").status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegKeyTest, AMissingValueTakesItsDefault) {
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A", KEY_ALL_ACCESS));
    const DWORD defaultNumber = 9;
    DWORD number = 0;
    EXPECT_TRUE(key.QueryValue("Number", REG_DWORD, &number, sizeof number, &defaultNumber));
    EXPECT_EQ(number, 9u);
    EXPECT_EQ(GetValue("A", "Number").type, static_cast<DWORD>(REG_DWORD));
    // A string default is stored without its terminating zero.
    char text[16] = {};
    EXPECT_TRUE(key.QueryValue("Text", REG_SZ, text, sizeof text, "NAME"));
    EXPECT_STREQ(text, "NAME");
    EXPECT_EQ(GetValue("A", "Text").Bytes(), "NAME");
}

TEST_F(RegKeyTest, ADefaultThatCannotBeWrittenLeavesTheReadFailed) {
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A", KEY_READ));
    const DWORD defaultNumber = 9;
    DWORD number = 0;
    EXPECT_FALSE(key.QueryValue("Number", REG_DWORD, &number, sizeof number, &defaultNumber));
}

TEST_F(RegKeyTest, OpeningAgainClosesTheKeyHeldBefore) {
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A", KEY_ALL_ACCESS));
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "B", KEY_ALL_ACCESS));
    const DWORD value = 3;
    key.SetValue("V", REG_DWORD, &value, sizeof value);
    EXPECT_EQ(GetValue("B", "V").Dword(), 3u);
    EXPECT_EQ(GetValue("A", "V").status, ERROR_FILE_NOT_FOUND);
    key.Close();
    EXPECT_EQ(PosixRegistryOpenHandleCount(), 0u);
}

}  // namespace
