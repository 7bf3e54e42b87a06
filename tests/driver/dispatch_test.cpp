// DriverProc's dispatch: what each message answers with and without an instance.
#include <string>
#include <vector>

#include "codec/debug_lines.h"
#include "driver/codec_instance.h"
#include "formats/format_builder.h"
#include "support/attached_driver.h"

namespace {

struct DispatchCase {
    const char* name;
    UINT message;
    LPARAM l1;
    LPARAM l2;
    LRESULT withInstance;
    LRESULT withoutInstance;
};

const BITMAPINFOHEADER kRgb = Pal(BI_RGB, 24);
const BITMAPINFOHEADER kRgb16 = Pal(BI_RGB, 16);
const BITMAPINFOHEADER kQlnu = Pal(kFourCCQlnu, 24);

LPARAM Param(const BITMAPINFOHEADER& format) {
    return reinterpret_cast<LPARAM>(&format);
}

constexpr LRESULT kNo = ICERR_UNSUPPORTED;
constexpr LRESULT kBad = ICERR_BADFORMAT;

const DispatchCase kDispatchCases[] = {
    {"DrvLoad", DRV_LOAD, 0, 0, 1, 1},
    {"DrvEnable", DRV_ENABLE, 0, 0, 1, 1},
    {"DrvDisable", DRV_DISABLE, 0, 0, 1, 1},
    {"DrvQueryConfigure", DRV_QUERYCONFIGURE, 0, 0, 1, 1},
    {"DrvInstall", DRV_INSTALL, 0, 0, 1, 1},
    {"DrvRemove", DRV_REMOVE, 0, 0, 1, 1},
    {"DrvFree", DRV_FREE, 0, 0, 1, 1},
    // Below DRV_USER, unknown messages go to DefDriverProc, which answers 0 here.
    {"Message11GoesToDefDriverProc", 11, 0, 0, 0, 0},
    // Without a window system the dialogs open nothing and answer 0.
    {"DrvConfigure", DRV_CONFIGURE, 0, 0, 0, 0},
    {"DrawGetPalette", ICM_DRAW_GET_PALETTE, 0, 0, kNo, kNo},
    // The draw messages without a usable board, and so without a renderer.
    {"DrawQuery", ICM_DRAW_QUERY, Param(kQlnu), 0, kNo, kNo},
    {"GetBuffersWanted", ICM_GETBUFFERSWANTED, 0, 0, kNo, kNo},
    {"DrawBegin", ICM_DRAW_BEGIN, 0, 0, kNo, kNo},
    {"Draw", ICM_DRAW, 0, 0, ICERR_INTERNAL, ICERR_INTERNAL},
    {"DrawStart", ICM_DRAW_START, 0, 0, 0, 0},
    {"DrawStop", ICM_DRAW_STOP, 0, 0, 0, 0},
    {"DrawEnd", ICM_DRAW_END, 0, 0, 0, 0},
    {"DrawGetTime", ICM_DRAW_GETTIME, 0, 0, ICERR_INTERNAL, ICERR_INTERNAL},
    {"DrawSetTime", ICM_DRAW_SETTIME, 0, 0, ICERR_INTERNAL, ICERR_INTERNAL},
    {"DrawFlush", ICM_DRAW_FLUSH, 0, 0, ICERR_INTERNAL, ICERR_INTERNAL},
    {"DrawRenderBuffer", ICM_DRAW_RENDERBUFFER, 0, 0, ICERR_INTERNAL, ICERR_INTERNAL},
    {"DrawWindow", ICM_DRAW_WINDOW, 0, 0, 0, 0},
    {"DrawRealize", ICM_DRAW_REALIZE, 0, 0, 0, 0},
    {"GetStateSizeQuery", ICM_GETSTATE, 0, 0, 12, 0},
    {"GetInfoSizeQuery", ICM_GETINFO, 0, 0, 568, 568},
    {"ConfigureQuery", ICM_CONFIGURE, -1, 0, ICERR_OK, ICERR_OK},
    {"AboutQuery", ICM_ABOUT, -1, 0, ICERR_OK, ICERR_OK},
    {"Configure", ICM_CONFIGURE, 0, 0, 0, 0},
    {"About", ICM_ABOUT, 0, 0, 0, 0},
    // Without formats or a request: refused formats, no session, nothing to end.
    {"CompressBegin", ICM_COMPRESS_BEGIN, 0, 0, kBad, kNo},
    {"Compress", ICM_COMPRESS, 0, 0, ICERR_ERROR, kNo},
    {"CompressEnd", ICM_COMPRESS_END, 0, 0, ICERR_OK, kNo},
    {"DecompressBegin", ICM_DECOMPRESS_BEGIN, 0, 0, kBad, kNo},
    {"Decompress", ICM_DECOMPRESS, 0, 0, ICERR_ERROR, kNo},
    {"DecompressEnd", ICM_DECOMPRESS_END, 0, 0, ICERR_OK, kNo},
    {"FirstUserMessage", 0x4000, 0, 0, kNo, kNo},
    {"DrawUpdate", ICM_DRAW_UPDATE, 0, 0, kNo, kNo},
    {"DecompressSetPalette", ICM_DECOMPRESS_SET_PALETTE, 0, 0, kNo, kNo},
    {"Message6000", 0x6000, 0, 0, kNo, kNo},
    // Format negotiation answers alike with or without an instance.
    {"CompressQuery", ICM_COMPRESS_QUERY, Param(kRgb), Param(kQlnu), ICERR_OK, ICERR_OK},
    {"CompressQueryRefused", ICM_COMPRESS_QUERY, Param(kRgb16), 0, kBad, kBad},
    {"CompressGetSize", ICM_COMPRESS_GET_SIZE, Param(kRgb), 0, 829460, 829460},
    {"CompressGetFormatSize", ICM_COMPRESS_GET_FORMAT, Param(kRgb), 0, 40, 40},
    {"DecompressQuery", ICM_DECOMPRESS_QUERY, Param(kQlnu), Param(kRgb), ICERR_OK, ICERR_OK},
    {"DecompressQueryRefused", ICM_DECOMPRESS_QUERY, Param(kQlnu), Param(kRgb16), kBad, kBad},
    {"DecompressGetFormatSize", ICM_DECOMPRESS_GET_FORMAT, Param(kQlnu), 0, 40, 40},
};

class DispatchTest : public AttachedDriverTest,
                     public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(DispatchTest, AnswersWithAnInstance) {
    const DWORD_PTR id = Open();
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Send(id, GetParam().message, GetParam().l1, GetParam().l2), GetParam().withInstance);
    Close(id);
}

TEST_P(DispatchTest, AnswersOnTheConfigurationOnlyOpen) {
    EXPECT_EQ(Send(kConfigurationOnlyDriverId, GetParam().message, GetParam().l1, GetParam().l2),
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

TEST(ModuleHandleFixTest, FindsTheModuleOnceAndSaysSo) {
    DebugLines debug;
    ghModule = nullptr;
    DriverProc(kConfigurationOnlyDriverId, nullptr, DRV_ENABLE, 0, 0);
    DriverProc(kConfigurationOnlyDriverId, nullptr, DRV_ENABLE, 0, 0);
    EXPECT_EQ(ghModule, CodeModule());
    EXPECT_EQ(debug.Lines(), std::vector<std::string>{
                                 "!!!!!!!!!!!!!!!!!!!!! ghModule = NULL !!!!!!!!!!!!!!!!!!!"});
}

}  // namespace
