// RegKey: which calls reach a missing key, what a key opened for reading refuses, and the
// default that a failed read may write.
#include "settings/registry_key.h"
#include "settings/registry_values.h"

namespace {

using RegKeyTest = EmptyRegistryTest;

TEST_F(RegKeyTest, OnlyCreateAndOpenMakeAMissingKey) {
    RegKey key;
    EXPECT_FALSE(key.OpenExisting(HKEY_CLASSES_ROOT, "A\\B", KEY_ALL_ACCESS));
    EXPECT_EQ(key.Handle(), nullptr);
    EXPECT_FALSE(KeyExists("A"));
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A\\B", KEY_ALL_ACCESS));
    ASSERT_TRUE(key.Create(HKEY_CLASSES_ROOT, "C", KEY_WRITE));
    EXPECT_EQ(key.Access(), static_cast<REGSAM>(KEY_WRITE));
    const DWORD value = 5;
    EXPECT_TRUE(key.SetValue("V", REG_DWORD, &value, sizeof value));
    EXPECT_EQ(GetValue("C", "V").Dword(), 5u);

    ASSERT_TRUE(key.OpenExisting(HKEY_CLASSES_ROOT, "a\\b", KEY_READ));
    EXPECT_FALSE(key.SetValue("V", REG_DWORD, &value, sizeof value));
    key.Close();
    EXPECT_EQ(key.Handle(), nullptr);
    EXPECT_EQ(key.Access(), 0u);
}

TEST_F(RegKeyTest, AFailedQueryWritesTheDefaultAndReadsAgain) {
    PutString("A", "Text", "1");
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A", KEY_ALL_ACCESS));
    DWORD number = 0;
    EXPECT_TRUE(key.QueryValue("Text", REG_DWORD, &number, sizeof number));  // of any type
    EXPECT_EQ(number, static_cast<DWORD>('1'));
    EXPECT_FALSE(key.QueryValue("Missing", REG_DWORD, &number, sizeof number));
    EXPECT_EQ(GetValue("A", "Missing").status, ERROR_FILE_NOT_FOUND);

    const DWORD nine = 9;
    EXPECT_TRUE(key.QueryValue("Number", REG_DWORD, &number, sizeof number, &nine));
    EXPECT_EQ(number, 9u);
    EXPECT_EQ(GetValue("A", "Number").type, static_cast<DWORD>(REG_DWORD));
    char text[16] = {};
    EXPECT_TRUE(key.QueryValue("Name", REG_SZ, text, sizeof text, "NAME"));
    EXPECT_EQ(GetValue("A", "Name").Bytes(), "NAME");  // without its terminating zero

    ASSERT_TRUE(key.Open(HKEY_CLASSES_ROOT, "A", KEY_READ));
    EXPECT_FALSE(key.QueryValue("Other", REG_DWORD, &number, sizeof number, &nine));
}

}  // namespace
