// Process attach and detach: the heap lives between them and takes what is left with it.
#include "driver/codec_instance.h"
#include "support/attached_driver.h"

namespace {

TEST(ProcessTest, AttachMakesTheHeapAndDetachTakesItWithUnclosedInstances) {
    static ICINFO openParameters{};
    for (int attach = 0; attach < 2; ++attach) {
        ASSERT_EQ(ProcessAttach(CodeModule()), TRUE);
        EXPECT_EQ(ghModule, CodeModule());
        ASSERT_NE(DriverProc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&openParameters)),
                  0);
        EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), 1u);
        // Detach frees the block with the heap; LeakSanitizer would say otherwise.
        EXPECT_EQ(ProcessDetach(), TRUE);
        EXPECT_EQ(ghDriverHeap, nullptr);
    }
    // Not attached: there is no heap to make an instance on.
    EXPECT_EQ(DriverProc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&openParameters)), 0);
}

}  // namespace
