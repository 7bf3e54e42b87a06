// The draw messages against a recording board: the calls the board receives, the answers the
// host gets, and the bytes that reach the ring. The board's entry points are the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "board/board_library.h"
#include "common/fourcc.h"
#include "settings/file_name.h"
#include "settings/settings_store.h"
#include "support/attached_driver.h"

namespace {

// What the recording board answers and what it has seen.
struct Board {
    std::vector<std::string> calls;
    std::vector<DWORD_PTR> failing;  // resources whose vdc_register answers 0
    DWORD_PTR ringBase = 1;          // 0: no ring
    LONG output[2] = {32, 32};
    DWORD_PTR enabledWindow = 0;
    LONG inputPosition[2] = {0, 0};
    std::vector<BYTE> ring = std::vector<BYTE>(64, 0);
    DWORD writeAt = 0;
    bool full = false;
} gBoard;

void Log(std::string call) {
    gBoard.calls.push_back(std::move(call));
}
std::string Args(std::initializer_list<DWORD_PTR> values) {
    std::string text;
    for (DWORD_PTR value : values) {
        text += (text.empty() ? "" : ",") + std::to_string(static_cast<LONG>(value));
    }
    return "(" + text + ")";
}

// Installs the recording board's functions in the slots the draw path calls.
void InstallRecordingBoard() {
    BoardApi.vdc_register = [](DWORD_PTR r) -> DWORD_PTR {
        Log("register" + Args({r}));
        return std::find(gBoard.failing.begin(), gBoard.failing.end(), r) == gBoard.failing.end();
    };
    BoardApi.vdc_unregister = [](DWORD_PTR r) -> DWORD_PTR {
        return Log("unregister" + Args({r})), 1;
    };
    BoardApi.vdc_unregister_all = []() -> DWORD_PTR { return Log("unregister_all"), 1; };
    BoardApi.vdc_AllocVideoFifo = [](DWORD_PTR size) -> DWORD_PTR {
        Log("AllocVideoFifo" + Args({*reinterpret_cast<DWORD*>(size)}));
        *reinterpret_cast<DWORD*>(size) = static_cast<DWORD>(gBoard.ring.size());
        return gBoard.ringBase ? reinterpret_cast<DWORD_PTR>(gBoard.ring.data()) : 0;
    };
    BoardApi.vdc_ReleaseVideoFifo = []() -> DWORD_PTR { return Log("ReleaseVideoFifo"), 1; };
    BoardApi.vdc_SetFormat = [](DWORD_PTR w, DWORD_PTR h, DWORD_PTR b, DWORD_PTR a) -> DWORD_PTR {
        return Log("SetFormat" + Args({w, h, b, a})), 1;
    };
    BoardApi.vdc_output_get_scale = [](DWORD_PTR, DWORD_PTR, DWORD_PTR w,
                                       DWORD_PTR h) -> DWORD_PTR {
        *reinterpret_cast<LONG*>(w) = gBoard.output[0];
        *reinterpret_cast<LONG*>(h) = gBoard.output[1];
        return 1;
    };
    BoardApi.vdc_input_get_enabled_window = []() -> DWORD_PTR { return gBoard.enabledWindow; };
    BoardApi.vdc_input_get_scale = [](DWORD_PTR x, DWORD_PTR y, DWORD_PTR, DWORD_PTR) -> DWORD_PTR {
        *reinterpret_cast<LONG*>(x) = gBoard.inputPosition[0];
        *reinterpret_cast<LONG*>(y) = gBoard.inputPosition[1];
        return 1;
    };
    BoardApi.vdc_input_set_enabled_window = [](DWORD_PTR w, DWORD_PTR on) -> DWORD_PTR {
        return Log("input_set_enabled_window" + Args({w, on})), 1;
    };
    BoardApi.vdc_input_set_scale = [](DWORD_PTR x, DWORD_PTR y, DWORD_PTR w,
                                      DWORD_PTR h) -> DWORD_PTR {
        return Log("input_set_scale" + Args({x, y, w, h})), 1;
    };
    BoardApi.vdc_CheckFreeSize = [](DWORD_PTR, DWORD_PTR) -> DWORD_PTR {
        return gBoard.full ? static_cast<DWORD_PTR>(-1) : gBoard.writeAt;
    };
    BoardApi.vdc_AddData = [](DWORD_PTR t, DWORD_PTR f, DWORD_PTR k, DWORD_PTR n) -> DWORD_PTR {
        gBoard.writeAt = static_cast<DWORD>((gBoard.writeAt + n) % gBoard.ring.size());
        return Log("AddData" + Args({t, f, k, n})), 1;
    };
    for (auto* slot :
         {&BoardApi.vdc_Run, &BoardApi.vdc_Pause, &BoardApi.vdc_Stop, &BoardApi.vdc_Flush}) {
        *slot = []() -> DWORD_PTR { return Log("playback"), 1; };
    }
    BoardApi.vdc_ResetCounter = [](DWORD_PTR, DWORD_PTR t) -> DWORD_PTR {
        return Log("ResetCounter" + Args({t})), 1;
    };
    BoardApi.vdc_GetTime = []() -> DWORD_PTR { return 1234; };
}

class DrawTest : public AttachedDriverTest {
protected:
    void SetUp() override {
        AttachedDriverTest::SetUp();
        gBoard = Board{};
        InstallRecordingBoard();
        BoardUsable = 1;
        id_ = Open();
    }
    void TearDown() override {
        Close(id_);
        BoardUsable = 0;
        AttachedDriverTest::TearDown();  // puts every slot back on its stub
    }

    LRESULT Begin(DWORD flags = ICDRAW_FULLSCREEN, LONG width = 32, LONG height = 32) {
        format_ = {sizeof format_, width, height, 1, 24, kFourCCQlnu};
        request_ = {};
        request_.dwFlags = flags;
        request_.lpbi = &format_;
        request_.dwScale = 1;
        request_.dwRate = 25;
        return Send(id_, ICM_DRAW_BEGIN, reinterpret_cast<LPARAM>(&request_), sizeof request_);
    }
    LRESULT DrawFrame(std::vector<BYTE> frame, LONG time = 0, DWORD flags = 0) {
        ICDRAW draw{flags, &format_, frame.data(), static_cast<DWORD>(frame.size()), time};
        return Send(id_, ICM_DRAW, reinterpret_cast<LPARAM>(&draw), sizeof draw);
    }

    DWORD_PTR id_ = 0;
    BITMAPINFOHEADER format_{};
    ICDRAWBEGIN request_{};
};

std::vector<BYTE> Record(DWORD flags, const std::vector<BYTE>& payload) {
    std::vector<BYTE> record;
    for (const DWORD word : {flags, static_cast<DWORD>(payload.size())}) {
        for (int shift = 0; shift < 32; shift += 8) {
            record.push_back(static_cast<BYTE>(word >> shift));
        }
    }
    for (const BYTE b : payload) {
        record.push_back(b);
    }
    return record;
}
std::vector<BYTE> Frame(const char* magic, std::initializer_list<std::vector<BYTE>> parts) {
    std::vector<BYTE> frame(magic, magic + 4);
    for (const auto& part : parts) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return frame;
}

TEST_F(DrawTest, BeginClaimsTheBoardAndFailsAtEachStep) {
    struct Step {
        std::vector<DWORD_PTR> failing;
        DWORD_PTR ringBase;
        LRESULT answer;
        std::vector<std::string> calls;
    };
    const std::string fifo = "AllocVideoFifo(4194303)", format = "SetFormat(32,32,1,25)";
    const Step steps[] = {
        {{},
         1,
         ICERR_OK,
         {"unregister_all", "register(7)", "register(9)", "register(8)", fifo, format,
          "register(1)", "input_set_enabled_window(2,0)", "ResetCounter(0)", "playback"}},
        {{7}, 1, ICERR_INTERNAL, {"unregister_all", "register(7)", "unregister_all"}},
        {{9},
         1,
         ICERR_INTERNAL,
         {"unregister_all", "register(7)", "register(9)", "unregister_all"}},
        {{},
         0,
         ICERR_INTERNAL,
         {"unregister_all", "register(7)", "register(9)", "register(8)", fifo, "playback",
          "ReleaseVideoFifo", "unregister_all"}},
        {{1},
         1,
         ICERR_INTERNAL,
         {"unregister_all", "register(7)", "register(9)", "register(8)", fifo, format,
          "register(1)", "playback", "ReleaseVideoFifo", "unregister_all"}},
    };
    for (const Step& step : steps) {
        gBoard.calls.clear();
        gBoard.failing = step.failing;
        gBoard.ringBase = step.ringBase;
        Send(id_, ICM_DRAW_END);
        gBoard.calls.clear();
        EXPECT_EQ(Begin(), step.answer);
        EXPECT_EQ(gBoard.calls, step.calls);
        LONG time = 0;
        EXPECT_EQ(Send(id_, ICM_DRAW_GETTIME, reinterpret_cast<LPARAM>(&time)),
                  step.answer == ICERR_OK ? ICERR_OK : ICERR_INTERNAL);
    }
}

TEST_F(DrawTest, PicturePlacedInTheOutput) {
    struct Placement {
        LONG output[2];
        DWORD_PTR enabledWindow;
        LONG position[2];
        std::string scale;
    };
    const Placement placements[] = {
        {{720, 576}, 0, {0, 0}, "input_set_scale(344,272,32,32)"},
        {{720, 576}, 2, {701, 9}, "input_set_scale(688,8,32,32)"},
        {{720, 576}, 2, {101, 551}, "input_set_scale(100,544,32,32)"},
    };
    for (const Placement& p : placements) {
        std::memcpy(gBoard.output, p.output, sizeof p.output);
        std::memcpy(gBoard.inputPosition, p.position, sizeof p.position);
        gBoard.enabledWindow = p.enabledWindow;
        gBoard.calls.clear();
        ASSERT_EQ(Begin(), ICERR_OK);
        EXPECT_NE(std::find(gBoard.calls.begin(), gBoard.calls.end(), p.scale), gBoard.calls.end())
            << p.scale;
    }
}

// Only a listed program may ask for a window: it is given the full screen instead.
TEST_F(DrawTest, OnlyListedProgramsMayAskForAWindowAndOnlyQlnuIsShown) {
    EXPECT_EQ(Begin(ICDRAW_HDC), ICERR_UNSUPPORTED);
    EXPECT_EQ(Begin(ICDRAW_FULLSCREEN, 720, 570), ICERR_BADFORMAT);
    EXPECT_EQ(Send(id_, ICM_DRAW_QUERY, reinterpret_cast<LPARAM>(&format_)), ICERR_BADFORMAT);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::strcpy(FullScreenApps[15], FileNamePart(path, "\\/:"));
    EXPECT_EQ(Begin(ICDRAW_HDC), ICERR_OK);
    EXPECT_EQ(request_.dwFlags, static_cast<DWORD>(ICDRAW_FULLSCREEN));
    EXPECT_NE(std::find(gBoard.calls.begin(), gBoard.calls.end(), "SetFormat(32,32,25,1)"),
              gBoard.calls.end());
    FullScreenApps[15][0] = '\0';
}

TEST_F(DrawTest, FieldsReachTheRingAndWrapAroundItsEnd) {
    ASSERT_EQ(Begin(), ICERR_OK);
    gBoard.writeAt = 56;
    gBoard.calls.clear();
    const std::vector<BYTE> first(12, 0x11), second(10, 0x22);
    EXPECT_EQ(
        DrawFrame(Frame("QLN1", {Record(0x80000000, first), Record(1, {9}), Record(0, second)})),
        ICERR_OK);
    EXPECT_EQ(DrawFrame(Frame("QLN1", {Record(0, {1, 2})}), 0, ICDRAW_PREROLL), ICERR_OK);
    EXPECT_EQ(DrawFrame(Frame(
                  "QLND",
                  {std::vector<BYTE>(12), {3, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}, {7, 7, 7, 8, 8}})),
              ICERR_OK);
    EXPECT_EQ(DrawFrame(Frame("QLN1", {Record(0, {5, 5, 5, 5})}), 77), ICERR_OK);
    const std::vector<BYTE> truncated = Frame("QLN1", {Record(0, {6, 6, 6, 6})});
    EXPECT_EQ(DrawFrame({truncated.begin(), truncated.end() - 1}), ICERR_OK);
    EXPECT_EQ(DrawFrame(Frame("RIFF", {Record(0, {8})})), ICERR_OK);
    EXPECT_EQ(gBoard.calls, (std::vector<std::string>{
                                "AddData(0,1,0,12)", "AddData(0,0,0,10)", "AddData(0,0,4,0)",
                                "AddData(1,0,1,3)", "AddData(1,1,1,2)", "AddData(1,0,4,0)",
                                "AddData(77,0,0,4)", "AddData(77,0,4,0)", "AddData(78,0,4,0)"}));
    std::vector<BYTE> ring(64, 0);
    std::fill(ring.begin() + 56, ring.end(), 0x11);
    std::fill(ring.begin(), ring.begin() + 4, 0x11);
    std::fill(ring.begin() + 4, ring.begin() + 14, 0x22);
    std::fill(ring.begin() + 14, ring.begin() + 17, 7);
    std::fill(ring.begin() + 17, ring.begin() + 19, 8);
    std::fill(ring.begin() + 19, ring.begin() + 23, 5);
    EXPECT_EQ(gBoard.ring, ring);
}

TEST_F(DrawTest, AtMostEightRecordsAreWalkedAndAFullRingDropsTheFrame) {
    ASSERT_EQ(Begin(), ICERR_OK);
    gBoard.calls.clear();
    std::vector<BYTE> frame = Frame("QLN1", {});
    for (int record = 0; record < 9; ++record) {
        const std::vector<BYTE> one = Record(0, {static_cast<BYTE>(record)});
        frame.insert(frame.end(), one.begin(), one.end());
    }
    EXPECT_EQ(DrawFrame(frame, 5), ICERR_OK);
    // Coded frames: two empty fields that end the data exactly, and a second field past it.
    const std::vector<BYTE> counts = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(DrawFrame(Frame("QLND", {std::vector<BYTE>(12), counts}), 6), ICERR_OK);
    EXPECT_EQ(
        DrawFrame(
            Frame("QLND", {std::vector<BYTE>(12), {2, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0}, {1, 1}}),
            7),
        ICERR_OK);
    EXPECT_EQ(DrawFrame(Frame("QLND", {}), 8), ICERR_OK);
    EXPECT_EQ(DrawFrame(Frame("QLN1", {}), 9), ICERR_OK);
    std::vector<std::string> calls(8, "AddData(5,0,0,1)");
    for (const char* call :
         {"AddData(5,0,4,0)", "AddData(6,0,1,0)", "AddData(6,1,1,0)", "AddData(6,0,4,0)",
          "AddData(7,0,1,2)", "AddData(7,0,4,0)", "AddData(8,0,4,0)", "AddData(9,0,4,0)"}) {
        calls.push_back(call);
    }
    EXPECT_EQ(gBoard.calls, calls);
    gBoard.full = true;
    gBoard.calls.clear();
    EXPECT_EQ(DrawFrame(Frame("QLN1", {Record(0, {1})})), ICERR_OK);
    EXPECT_TRUE(gBoard.calls.empty());
    ICDRAW empty{0, &format_, nullptr, 0, 0};
    EXPECT_EQ(Send(id_, ICM_DRAW, reinterpret_cast<LPARAM>(&empty), sizeof empty), 1);
}

}  // namespace
