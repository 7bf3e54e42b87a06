// Process attach and detach: the heap lives between them and takes what is left with it.
#include "driver/codec_instance.h"
#include "support/attached_driver.h"

namespace {

TEST(ProcessTest, AttachMakesTheHeapAndRemembersTheModule) {
    ASSERT_EQ(ProcessAttach(CodeModule()), TRUE);
    EXPECT_NE(ghDriverHeap, nullptr);
    EXPECT_EQ(ghModule, CodeModule());
    EXPECT_EQ(ProcessDetach(), TRUE);
    EXPECT_EQ(ghDriverHeap, nullptr);
}

TEST(ProcessTest, DetachTakesInstancesThatWereNeverClosed) {
    ProcessAttach(CodeModule());
    static ICINFO openParameters{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(DriverProc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&openParameters)),
                  0);
    }
    EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), 3u);
    // Detach frees the blocks with the heap; LeakSanitizer would say otherwise.
    EXPECT_EQ(ProcessDetach(), TRUE);
}

TEST(ProcessTest, AttachAndDetachRepeat) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(ProcessAttach(CodeModule()), TRUE);
        ASSERT_EQ(ProcessDetach(), TRUE);
    }
}

TEST(ProcessTest, ModuleFileNameNamesTheProgramAndCutsToTheBuffer) {
    char full[MAX_PATH];
    const DWORD length = GetModuleFileNameA(CodeModule(), full, sizeof full);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string(full).find("driver_tests") != std::string::npos, true) << full;
    char shortName[4];
    EXPECT_EQ(GetModuleFileNameA(CodeModule(), shortName, sizeof shortName), 4u);
    EXPECT_EQ(std::string(shortName), std::string(full, 3));
    char exe[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(nullptr, exe, sizeof exe), length);
    EXPECT_STREQ(exe, full);
}

}  // namespace
