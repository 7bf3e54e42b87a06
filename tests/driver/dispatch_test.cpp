// DriverProc's dispatch: what each message answers with and without an instance.
#include <string>
#include <vector>

#include "driver/codec_instance.h"
#include "support/attached_driver.h"

namespace {

struct DispatchCase {
    const char* name;
    UINT message;
    LPARAM l1;
    LRESULT withInstance;
    LRESULT withoutInstance;
};

// l2 is 0 in every case: no buffers, no formats.
const DispatchCase kDispatchCases[] = {
    {"DrvLoad", DRV_LOAD, 0, 1, 1},
    {"DrvEnable", DRV_ENABLE, 0, 1, 1},
    {"DrvDisable", DRV_DISABLE, 0, 1, 1},
    {"DrvQueryConfigure", DRV_QUERYCONFIGURE, 0, 1, 1},
    {"DrvInstall", DRV_INSTALL, 0, 1, 1},
    {"DrvRemove", DRV_REMOVE, 0, 1, 1},
    {"DrvFree", DRV_FREE, 0, 1, 1},
    // Below DRV_USER, unknown messages go to DefDriverProc, which answers 0 here.
    {"Message11GoesToDefDriverProc", 11, 0, 0, 0},
    {"DrvConfigureUntilTheDialogExists", DRV_CONFIGURE, 0, 0, 0},
    {"DrawGetPalette", ICM_DRAW_GET_PALETTE, 0, ICERR_UNSUPPORTED, ICERR_UNSUPPORTED},
    {"DrawWindow", ICM_DRAW_WINDOW, 0, 0, 0},
    {"DrawRealize", ICM_DRAW_REALIZE, 0, 0, 0},
    {"GetStateSizeQuery", ICM_GETSTATE, 0, 12, 0},
    {"GetInfoSizeQuery", ICM_GETINFO, 0, 568, 568},
    {"ConfigureQuery", ICM_CONFIGURE, -1, ICERR_OK, ICERR_OK},
    {"AboutQuery", ICM_ABOUT, -1, ICERR_OK, ICERR_OK},
    {"ConfigureWithoutTheDialog", ICM_CONFIGURE, 0, ICERR_UNSUPPORTED, ICERR_UNSUPPORTED},
    {"AboutWithoutTheDialog", ICM_ABOUT, 0, ICERR_UNSUPPORTED, ICERR_UNSUPPORTED},
    // Without formats or a request: refused formats, no session, nothing to end.
    {"CompressBegin", ICM_COMPRESS_BEGIN, 0, ICERR_BADFORMAT, ICERR_UNSUPPORTED},
    {"Compress", ICM_COMPRESS, 0, ICERR_ERROR, ICERR_UNSUPPORTED},
    {"CompressEnd", ICM_COMPRESS_END, 0, ICERR_OK, ICERR_UNSUPPORTED},
    {"DecompressBegin", ICM_DECOMPRESS_BEGIN, 0, ICERR_BADFORMAT, ICERR_UNSUPPORTED},
    {"Decompress", ICM_DECOMPRESS, 0, ICERR_ERROR, ICERR_UNSUPPORTED},
    {"DecompressEnd", ICM_DECOMPRESS_END, 0, ICERR_OK, ICERR_UNSUPPORTED},
    {"FirstUserMessage", 0x4000, 0, ICERR_UNSUPPORTED, ICERR_UNSUPPORTED},
    {"DrawUpdate", ICM_DRAW_UPDATE, 0, ICERR_UNSUPPORTED, ICERR_UNSUPPORTED},
    {"DecompressSetPalette", ICM_DECOMPRESS_SET_PALETTE, 0, ICERR_UNSUPPORTED, ICERR_UNSUPPORTED},
    {"Message6000", 0x6000, 0, ICERR_UNSUPPORTED, ICERR_UNSUPPORTED},
};

class DispatchTest : public AttachedDriverTest,
                     public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(DispatchTest, AnswersWithAnInstance) {
    const DWORD_PTR id = Open();
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Send(id, GetParam().message, GetParam().l1), GetParam().withInstance);
    Close(id);
}

TEST_P(DispatchTest, AnswersOnTheConfigurationOnlyOpen) {
    EXPECT_EQ(Send(kConfigurationOnlyDriverId, GetParam().message, GetParam().l1),
              GetParam().withoutInstance);
}

INSTANTIATE_TEST_SUITE_P(Messages, DispatchTest, ::testing::ValuesIn(kDispatchCases),
                         [](const auto& info) { return std::string(info.param.name); });

using OpenCloseTest = AttachedDriverTest;

// Only an open with parameters makes an instance, on the driver heap until it closes.
TEST_F(OpenCloseTest, EachOpenWithParametersIsAnInstanceOnTheHeap) {
    EXPECT_EQ(Send(0, DRV_OPEN, 0, 0), static_cast<LRESULT>(kConfigurationOnlyDriverId));
    EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), 0u);
    const DWORD_PTR first = Open();
    const DWORD_PTR second = Open();
    ASSERT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), 2u);
    EXPECT_EQ(Send(first, DRV_CLOSE), 1);
    EXPECT_EQ(Send(second, DRV_CLOSE), 1);
    EXPECT_EQ(Send(kConfigurationOnlyDriverId, DRV_CLOSE), 1);
    EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), 0u);
    PosixHeapRefuseAllocation(1);
    EXPECT_EQ(Open(), 0u);
}

std::vector<std::string> gDebugLines;

TEST(ModuleHandleFixTest, FindsTheModuleOnceAndSaysSo) {
    gDebugLines.clear();
    SetDebugOutputHook([](LPCSTR text) { gDebugLines.emplace_back(text); });
    ghModule = nullptr;
    DriverProc(kConfigurationOnlyDriverId, nullptr, DRV_ENABLE, 0, 0);
    DriverProc(kConfigurationOnlyDriverId, nullptr, DRV_ENABLE, 0, 0);
    SetDebugOutputHook(nullptr);
    EXPECT_EQ(ghModule, CodeModule());
    ASSERT_EQ(gDebugLines.size(), 1u);
    EXPECT_EQ(gDebugLines[0], "!!!!!!!!!!!!!!!!!!!!! ghModule = NULL !!!!!!!!!!!!!!!!!!!");
}

}  // namespace
