// Run-time loading through the POSIX loader.
#include <gtest/gtest.h>

#include "platform/win_api.h"

namespace {

TEST(LibraryLoadingTest, PlainNamesAndSymbolsResolve) {
    HMODULE library = LoadLibraryA("libm.so.6");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(GetProcAddress(library, "cos"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "no_such_function"), nullptr);
    EXPECT_EQ(FreeLibrary(library), TRUE);
}

TEST(LibraryLoadingTest, AMissingLibraryIsNull) {
    EXPECT_EQ(LoadLibraryA("NO_SUCH_LIBRARY.DLL"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "cos"), nullptr);
}

}  // namespace
