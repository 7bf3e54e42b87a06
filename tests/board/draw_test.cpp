// The draw messages against the board simulator, bound as the driver binds the board: the
// calls the board receives, the answers the host gets, the bytes the board finds in its ring
// and the pictures it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "board/board_library.h"
#include "board_simulator_client.h"
#include "common/fourcc.h"
#include "settings/file_name.h"
#include "settings/settings_store.h"
#include "support/attached_driver.h"
#include "support/guarded_pages.h"

namespace {

const char* const kEntryNames[] = {
#define BOARD_ENTRY(name, argumentCount) #name,
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
};
const int kArgumentCounts[] = {
#define BOARD_ENTRY(name, argumentCount) argumentCount,
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
};

// The calls that change the board, as "name(arguments)"; questions and pointer arguments left
// out ("vdc_AllocVideoFifo", whose request shows in the board's state).
std::vector<std::string> Commands(const std::vector<BoardCall>& calls) {
    std::vector<std::string> described;
    for (const BoardCall& call : calls) {
        const auto entry = static_cast<std::size_t>(call.entry);
        const std::string name = kEntryNames[entry];
        if (name.find("_get") != std::string::npos || name == "vdc_CheckFreeSize" ||
            name == "vdc_GetTime") {
            continue;
        }
        std::string text = name;
        if (call.entry != BoardEntry::vdc_AllocVideoFifo && kArgumentCounts[entry] > 0) {
            for (int i = 0; i < kArgumentCounts[entry]; ++i) {
                text += (i == 0 ? "(" : ",") + std::to_string(static_cast<LONG>(call.arguments[i]));
            }
            text += ")";
        }
        described.push_back(text);
    }
    return described;
}

std::vector<BYTE> Record(DWORD flags, const std::vector<BYTE>& payload) {
    std::vector<BYTE> record;
    for (const DWORD word : {flags, static_cast<DWORD>(payload.size())}) {
        for (int shift = 0; shift < 32; shift += 8) {
            record.push_back(static_cast<BYTE>(word >> shift));
        }
    }
    record.insert(record.end(), payload.begin(), payload.end());
    return record;
}

std::vector<BYTE> Frame(const char* magic, std::initializer_list<std::vector<BYTE>> parts) {
    std::vector<BYTE> frame(magic, magic + 4);
    for (const auto& part : parts) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return frame;
}

// What vdc_AddData announced: (time, field, kind, byte count), and the bytes.
struct Announced {
    LONG time;
    DWORD field, kind;
    std::vector<BYTE> bytes;
    bool operator==(const Announced&) const = default;
};

void PrintTo(const Announced& a, std::ostream* out) {
    *out << "(" << a.time << "," << a.field << "," << a.kind << "," << a.bytes.size() << ")";
}

// A clock that moves `milliseconds` at every look, so that the wait for room in the ring ends
// after a known number of asks; 0 goes back to the real clock. Windows runs keep the real one.
void StepTheClock(DWORD milliseconds) {
#ifdef _WIN32
    (void)milliseconds;
#else
    PosixStepTickCount(milliseconds);
#endif
}

class DrawTest : public AttachedDriverTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(simulator_.IsLoaded()) << kBoardSimulatorPath;
        AttachedDriverTest::SetUp();
        ASSERT_EQ(Send(0, DRV_LOAD), 1);
        ASSERT_EQ(BoardUsable, 1);
        id_ = Open();
    }
    void TearDown() override {
        Close(id_);
        AttachedDriverTest::TearDown();
    }

    DWORD_PTR Control(QlnsimCommand command, DWORD_PTR value = 1) {
        return simulator_.Control(command, value);
    }
    // The commands the board received since the last look.
    std::vector<std::string> NewCommands() {
        const std::vector<BoardCall> calls = simulator_.Calls();
        std::vector<BoardCall> fresh(calls.begin() + static_cast<std::ptrdiff_t>(seenCalls_),
                                     calls.end());
        seenCalls_ = calls.size();
        return Commands(fresh);
    }
    std::vector<Announced> NewFields() {
        std::vector<Announced> fields;
        const std::vector<ReceivedField> received = simulator_.Received();
        for (std::size_t i = seenFields_; i < received.size(); ++i) {
            const ReceivedField& r = received[i];
            fields.push_back({r.time, r.field, r.kind, {r.bytes, r.bytes + r.byteCount}});
        }
        seenFields_ = received.size();
        return fields;
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

    BoardSimulator simulator_{kBoardSimulatorPath};
    std::size_t seenCalls_ = 0, seenFields_ = 0;
    DWORD_PTR id_ = 0;
    BITMAPINFOHEADER format_{};
    ICDRAWBEGIN request_{};
};

TEST_F(DrawTest, BeginClaimsTheBoardAndFailsAtEachStep) {
    struct Step {
        QlnsimCommand refusal;
        DWORD_PTR value;
        LRESULT answer;
        std::vector<std::string> commands;
    };
    const std::string all = "vdc_unregister_all", fifo = "vdc_AllocVideoFifo";
    const std::string format = "vdc_SetFormat(32,32,1,25)";
    const Step steps[] = {
        {QlnsimCommand::SetOutputSize,
         32 | 32 << 16,
         ICERR_OK,
         {all, "vdc_register(7)", "vdc_register(9)", "vdc_register(8)", fifo, format,
          "vdc_register(1)", "vdc_input_set_enabled_window(2,0)", "vdc_ResetCounter(1,0)",
          "vdc_Pause"}},
        {QlnsimCommand::RefuseResource, 7, ICERR_INTERNAL, {all, "vdc_register(7)", all}},
        {QlnsimCommand::RefuseResource,
         9,
         ICERR_INTERNAL,
         {all, "vdc_register(7)", "vdc_register(9)", all}},
        {QlnsimCommand::RefuseRing,
         1,
         ICERR_INTERNAL,
         {all, "vdc_register(7)", "vdc_register(9)", "vdc_register(8)", fifo, "vdc_Stop",
          "vdc_ReleaseVideoFifo", all}},
        {QlnsimCommand::RefuseFormat,
         1,
         ICERR_INTERNAL,
         {all, "vdc_register(7)", "vdc_register(9)", "vdc_register(8)", fifo, format, "vdc_Stop",
          "vdc_ReleaseVideoFifo", all}},
        {QlnsimCommand::RefuseResource,
         1,
         ICERR_INTERNAL,
         {all, "vdc_register(7)", "vdc_register(9)", "vdc_register(8)", fifo, format,
          "vdc_register(1)", "vdc_Stop", "vdc_ReleaseVideoFifo", all}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.commands.back());
        Control(QlnsimCommand::Reset);
        Control(step.refusal, step.value);
        seenCalls_ = 0;
        EXPECT_EQ(Begin(), step.answer);
        EXPECT_EQ(NewCommands(), step.commands);
        EXPECT_EQ(simulator_.State().requestedRingSize, 0x3FFFFFu * (step.commands.size() > 4));
        LONG time = 0;
        EXPECT_EQ(Send(id_, ICM_DRAW_GETTIME, reinterpret_cast<LPARAM>(&time)),
                  step.answer == ICERR_OK ? ICERR_OK : ICERR_INTERNAL);
        Send(id_, ICM_DRAW_END);
    }
}

TEST_F(DrawTest, PicturePlacedInTheOutput) {
    struct Placement {
        DWORD_PTR output, enabledWindows, position;
        bool refuseWindow;
        BOOL enabled;
        LONG x, y;
    };
    const DWORD_PTR pal = 720 | 576 << 16;
    const Placement placements[] = {
        {pal, 0, 0, false, TRUE, 344, 272},
        {pal, 2, 701 | 9 << 16, false, TRUE, 688, 8},
        {pal, 2, 101 | 551 << 16, false, TRUE, 100, 544},
        {32 | 32 << 16, 0, 0, false, FALSE, 0, 0},
        {32 | 576 << 16, 0, 0, false, TRUE, 0, 272},
        {pal, 0, 0, true, FALSE, 0, 0},
    };
    for (const Placement& p : placements) {
        Control(QlnsimCommand::Reset);
        Control(QlnsimCommand::SetOutputSize, p.output);
        Control(QlnsimCommand::SetEnabledWindows, p.enabledWindows);
        Control(QlnsimCommand::SetInputPosition, p.position);
        Control(p.refuseWindow ? QlnsimCommand::RefuseResource : QlnsimCommand::SetShowWhenFull,
                p.refuseWindow ? 5 : 0);
        ASSERT_EQ(Begin(), ICERR_OK);
        const BoardState state = simulator_.State();
        EXPECT_EQ(state.inputWindowEnabled, p.enabled) << p.x;
        if (p.enabled) {
            EXPECT_EQ(std::vector<LONG>(
                          {state.inputX, state.inputY, state.inputWidth, state.inputHeight}),
                      std::vector<LONG>({p.x, p.y, 32, 32}));
        }
        EXPECT_EQ(state.registered, DWORD_PTR{1} << 7 | 1 << 9 | 1 << 8 | 1 << 1);
        EXPECT_EQ(state.playback, Playback::Paused);
    }
}

// Only a listed program may ask for a window: it is given the full screen instead, and its
// timing values go to the board larger first.
TEST_F(DrawTest, OnlyListedProgramsMayAskForAWindowAndOnlyQlnuIsShown) {
    EXPECT_EQ(Begin(ICDRAW_HDC), ICERR_UNSUPPORTED);
    EXPECT_EQ(Begin(ICDRAW_FULLSCREEN, 720, 570), ICERR_BADFORMAT);
    EXPECT_EQ(Send(id_, ICM_DRAW_QUERY, reinterpret_cast<LPARAM>(&format_)), ICERR_BADFORMAT);
    EXPECT_EQ(Send(id_, ICM_DRAW_QUERY, 0), ICERR_BADFORMAT);
    DWORD buffers = 7;
    EXPECT_EQ(Send(id_, ICM_GETBUFFERSWANTED, reinterpret_cast<LPARAM>(&buffers)), ICERR_OK);
    EXPECT_EQ(buffers, 0u) << "the codec wants no buffers of its own";
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::strcpy(FullScreenApps[15], FileNamePart(path, "\\/:"));
    EXPECT_EQ(Begin(ICDRAW_HDC), ICERR_OK);
    EXPECT_EQ(request_.dwFlags, static_cast<DWORD>(ICDRAW_FULLSCREEN));
    const BoardState state = simulator_.State();
    EXPECT_EQ(std::vector<DWORD>({state.timingB, state.timingA}), std::vector<DWORD>({25, 1}));
    EXPECT_EQ(Begin(0), ICERR_OK);
    EXPECT_EQ(request_.dwFlags, 0u) << "a request without a window is left as it is";
    FullScreenApps[15][0] = '\0';
}

TEST_F(DrawTest, PlaybackMessagesReachTheBoard) {
    ASSERT_EQ(Begin(), ICERR_OK);
    seenCalls_ = simulator_.Calls().size();
    Control(QlnsimCommand::RefuseResource, 4);
    EXPECT_EQ(Send(id_, ICM_DRAW_START), ICERR_OK);
    EXPECT_EQ(simulator_.State().playback, Playback::Running);
    EXPECT_EQ(Send(id_, ICM_DRAW_SETTIME, 90), ICERR_OK);
    EXPECT_EQ(Send(id_, ICM_DRAW_STOP), ICERR_OK);
    EXPECT_EQ(Send(id_, ICM_DRAW_FLUSH), ICERR_OK);
    Control(QlnsimCommand::Reset);
    seenCalls_ = 0;
    EXPECT_EQ(Send(id_, ICM_DRAW_RENDERBUFFER), ICERR_OK);
    LONG time = 0;
    EXPECT_EQ(Send(id_, ICM_DRAW_GETTIME, reinterpret_cast<LPARAM>(&time)), ICERR_OK);
    EXPECT_EQ(time, 0);
    EXPECT_EQ(simulator_.State().blender, 1u);
    EXPECT_EQ(NewCommands(),
              (std::vector<std::string>{"vdc_register(4)", "vdc_mixer_blender_set(1)",
                                        "vdc_unregister(4)", "vdc_Run", "vdc_Pause", "vdc_Flush"}));
    const std::vector<std::string> givenBack = {"vdc_Stop", "vdc_ReleaseVideoFifo",
                                                "vdc_unregister_all"};
    EXPECT_EQ(Send(id_, ICM_DRAW_END), ICERR_OK);
    EXPECT_EQ(NewCommands(), givenBack);
    EXPECT_EQ(Send(id_, ICM_DRAW_GETTIME, reinterpret_cast<LPARAM>(&time)), ICERR_INTERNAL);

    // A host that closes the driver while the board plays gives the board back all the same.
    ASSERT_EQ(Begin(), ICERR_OK);
    Send(id_, ICM_DRAW_START);
    NewCommands();
    Close(id_);
    id_ = Open();
    EXPECT_EQ(NewCommands(), givenBack);
    EXPECT_EQ(simulator_.State().ringSize, 0u);
    EXPECT_EQ(simulator_.State().registered, 0u);
}

TEST_F(DrawTest, FieldsReachTheRingAndWrapAroundItsEnd) {
    Control(QlnsimCommand::SetRingSize, 64);
    ASSERT_EQ(Begin(), ICERR_OK);
    ASSERT_EQ(DrawFrame(Frame("QLN1", {Record(0, std::vector<BYTE>(56, 0x99))})), ICERR_OK);
    ASSERT_EQ(Control(QlnsimCommand::ShowFrames, 1), 1u);
    NewFields();

    const std::vector<BYTE> first(12, 0x11), second(10, 0x22);
    EXPECT_EQ(
        DrawFrame(Frame("QLN1", {Record(0x80000000, first), Record(1, {9}), Record(0, second)})),
        ICERR_OK);
    for (const DWORD skipped : std::initializer_list<DWORD>{ICDRAW_HURRYUP, ICDRAW_UPDATE,
                                                            ICDRAW_PREROLL, ICDRAW_NULLFRAME}) {
        EXPECT_EQ(DrawFrame(Frame("QLN1", {Record(0, {1, 2})}), 0, skipped), ICERR_OK);
    }
    EXPECT_EQ(DrawFrame(Frame(
                  "QLND",
                  {std::vector<BYTE>(12), {3, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}, {7, 7, 7, 8, 8}})),
              ICERR_OK);
    EXPECT_EQ(DrawFrame(Frame("QLN1", {Record(0, {5, 5, 5, 5})}), 77), ICERR_OK);
    const std::vector<BYTE> truncated = Frame("QLN1", {Record(0, {6, 6, 6, 6})});
    EXPECT_EQ(DrawFrame({truncated.begin(), truncated.end() - 1}), ICERR_OK);
    EXPECT_EQ(DrawFrame(Frame("RIFF", {Record(0, {8})})), ICERR_OK);
    EXPECT_EQ(NewFields(), (std::vector<Announced>{{1, 1, 0, first},
                                                   {1, 0, 0, second},
                                                   {1, 0, 4, {}},
                                                   {2, 0, 1, {7, 7, 7}},
                                                   {2, 1, 1, {8, 8}},
                                                   {2, 0, 4, {}},
                                                   {77, 0, 0, {5, 5, 5, 5}},
                                                   {77, 0, 4, {}},
                                                   {78, 0, 4, {}}}));
    EXPECT_EQ(simulator_.Received()[2].ringOffset, 56u) << "the first field starts at the end";
}

TEST_F(DrawTest, AtMostEightRecordsAreWalkedAndAFullRingDropsTheFrame) {
    Control(QlnsimCommand::SetRingSize, 64);
    ASSERT_EQ(Begin(), ICERR_OK);
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
    std::vector<Announced> fields;
    for (BYTE record = 0; record < 8; ++record) {
        fields.push_back({5, 0, 0, {record}});
    }
    for (const Announced& field : std::vector<Announced>{{5, 0, 4, {}},
                                                         {6, 0, 1, {}},
                                                         {6, 1, 1, {}},
                                                         {6, 0, 4, {}},
                                                         {7, 0, 1, {1, 1}},
                                                         {7, 0, 4, {}},
                                                         {8, 0, 4, {}},
                                                         {9, 0, 4, {}}}) {
        fields.push_back(field);
    }
    EXPECT_EQ(NewFields(), fields);

    // 10 of the 64 bytes are taken and nothing is shown while paused: the first field of a
    // frame of two 30-byte fields would fit, the frame does not, and after the bounded wait it
    // is dropped whole; while running, the board makes room by showing.
    const std::vector<BYTE> halves = Frame("QLN1", {Record(0x80000000, std::vector<BYTE>(30, 3)),
                                                    Record(0, std::vector<BYTE>(30, 4))});
    StepTheClock(1000);
    EXPECT_EQ(DrawFrame(halves, 10), ICERR_OK);
    StepTheClock(0);
    EXPECT_TRUE(NewFields().empty());
    Control(QlnsimCommand::SetShowWhenFull);
    Send(id_, ICM_DRAW_START);
    EXPECT_EQ(DrawFrame(halves, 11), ICERR_OK);
    EXPECT_EQ(NewFields().size(), 3u);
    for (BYTE* data : {static_cast<BYTE*>(nullptr), frame.data()}) {
        ICDRAW empty{0, &format_, data, 0, 0};
        EXPECT_EQ(Send(id_, ICM_DRAW, reinterpret_cast<LPARAM>(&empty), sizeof empty), 1);
    }
}

// A board whose answers to vdc_CheckFreeSize come from a script, to see that nothing it
// answers moves a byte outside its ring: the ring ends where an unwritable page begins, so a
// write past it faults and ICM_DRAW answers 1. The simulator answers the other calls.
class ScriptedRingTest : public DrawTest {
protected:
    static constexpr DWORD kRingBytes = 64;

    void SetUp() override {
        DrawTest::SetUp();
        BoardApi.vdc_AllocVideoFifo = [](DWORD_PTR size) -> DWORD_PTR {
            *reinterpret_cast<DWORD*>(size) = kRingBytes;
            return reinterpret_cast<DWORD_PTR>(ring_->data());
        };
        // The last answer stands once the script has run out.
        BoardApi.vdc_CheckFreeSize = [](DWORD_PTR, DWORD_PTR) -> DWORD_PTR {
            const std::size_t at = std::min(asked_++, answers_.size() - 1);
            return static_cast<DWORD_PTR>(answers_[at]);
        };
        BoardApi.vdc_AddData = [](DWORD_PTR, DWORD_PTR field, DWORD_PTR kind,
                                  DWORD_PTR count) -> DWORD_PTR {
            added_.push_back(
                {static_cast<DWORD>(field), static_cast<DWORD>(kind), static_cast<DWORD>(count)});
            return 1;
        };
        StepTheClock(1);
    }
    void TearDown() override {
        StepTheClock(0);
        DrawTest::TearDown();
    }

    struct Added {
        DWORD field, kind, count;
        bool operator==(const Added&) const = default;
    };

    static inline GuardedPages* ring_ = nullptr;
    static inline std::vector<LONG> answers_;
    static inline std::size_t asked_ = 0;
    static inline std::vector<Added> added_;
};

// A field placed at a ring offset, wrapping around the ring's end.
struct Placed {
    std::size_t field;
    DWORD offset;
};

struct RingCase {
    const char* name;
    std::vector<DWORD> fieldBytes;  // the fields of a "QLN1" frame
    std::vector<LONG> answers;      // vdc_CheckFreeSize's, in turn: the frame's, then each field's
    std::size_t asks;               // how often the board is asked
    std::vector<Placed> placed;     // the fields announced, and where they are in the ring
    bool closed;                    // the end of the frame announced
};

#ifndef _WIN32
// `times` answers of no room, then the others.
std::vector<LONG> AfterRefusals(std::size_t times, std::vector<LONG> answers) {
    answers.insert(answers.begin(), times, -1);
    return answers;
}
#endif

// The clock moves a millisecond at every ask: the wait gives up at the 2000th refusal.
const RingCase kRingCases[] = {
    {"AcrossTheEnd", {16}, {0, 56}, 2, {{0, 56}}, true},
    {"TheWholeRing", {64}, {0}, 2, {{0, 0}}, true},
    {"OffsetAtTheEnd", {16}, {0, 64}, 2, {}, true},
    {"OffsetPastTheEnd", {16}, {0, 0x7FFFFFFF}, 2, {}, true},
    {"SecondFieldAtABadOffset", {8, 8}, {0, 8, 64}, 3, {{0, 8}}, true},
    {"FieldLongerThanTheRing", {65}, {0}, 0, {}, false},
    {"FrameLongerThanTheRing", {40, 40}, {0}, 0, {}, false},
#ifndef _WIN32
    {"RoomAtTheEndOfTheWait", {16}, AfterRefusals(1999, {0}), 2001, {{0, 0}}, true},
    {"NoRoomWithinTheWait", {16}, {-1}, 2000, {}, false},
    {"SecondFieldFindsNoRoom", {8, 8}, {0, 0, -1}, 2002, {{0, 0}}, true},
#endif
};

// A frame the ring cannot take, or has no room for within the wait, is dropped unannounced; a
// field the board then answers a bad offset or no room for ends its frame, which is closed.
TEST_F(ScriptedRingTest, NothingTheBoardAnswersMovesABytePastTheRing) {
    for (const RingCase& c : kRingCases) {
        SCOPED_TRACE(c.name);
        GuardedPages ring(kRingBytes);
        std::memset(ring.data(), 0xEE, kRingBytes);
        ring_ = &ring;
        ASSERT_EQ(Begin(), ICERR_OK);
        std::vector<BYTE> frame = Frame("QLN1", {});
        std::vector<std::vector<BYTE>> fields;
        for (const DWORD bytes : c.fieldBytes) {
            fields.emplace_back(bytes);
            for (DWORD i = 0; i < bytes; ++i) {
                fields.back()[i] = static_cast<BYTE>(fields.size() * 100 + i);
            }
            const std::vector<BYTE> record = Record(0, fields.back());
            frame.insert(frame.end(), record.begin(), record.end());
        }
        answers_ = c.answers;
        asked_ = 0;
        added_.clear();
        EXPECT_EQ(DrawFrame(frame), ICERR_OK);
        EXPECT_EQ(Send(id_, ICM_DRAW_END), ICERR_OK);

        std::vector<BYTE> expectedRing(kRingBytes, 0xEE);
        std::vector<Added> expectedAdded;
        for (const Placed& p : c.placed) {
            for (std::size_t i = 0; i < fields[p.field].size(); ++i) {
                expectedRing[(p.offset + i) % kRingBytes] = fields[p.field][i];
            }
            expectedAdded.push_back({0, 0, static_cast<DWORD>(fields[p.field].size())});
        }
        if (c.closed) {
            expectedAdded.push_back({0, 4, 0});
        }
        EXPECT_EQ(std::vector<BYTE>(ring.data(), ring.data() + kRingBytes), expectedRing);
        EXPECT_EQ(added_, expectedAdded);
        EXPECT_EQ(asked_, c.asks);
    }
}

// A clip of frames as the compressor writes them (odd lines first) comes out of the board the
// right way up; the pictures are also written as PNG files for a person to look at.
TEST_F(DrawTest, AClipIsShownWithItsFieldsInTheirLines) {
    constexpr LONG kWidth = 64, kHeight = 48;
    ASSERT_EQ(Begin(ICDRAW_FULLSCREEN, kWidth, kHeight), ICERR_OK);
    Send(id_, ICM_DRAW_START);
    const std::size_t lineBytes = kWidth * 2;
    std::vector<std::vector<BYTE>> pictures;
    for (BYTE frameNumber = 0; frameNumber < 3; ++frameNumber) {
        std::vector<BYTE> picture(lineBytes * kHeight), odd, even;
        for (std::size_t i = 0; i < picture.size(); ++i) {
            const std::size_t line = i / lineBytes, x = i % lineBytes;
            picture[i] = static_cast<BYTE>(x % 2 ? 16 + line * 4 + frameNumber * 20 : 64 + x);
        }
        for (std::size_t line = 0; line < kHeight; ++line) {
            auto& field = line % 2 ? odd : even;
            field.insert(field.end(), picture.begin() + line * lineBytes,
                         picture.begin() + (line + 1) * lineBytes);
        }
        ASSERT_EQ(DrawFrame(Frame("QLN1", {Record(0x80000000, odd), Record(0, even)})), ICERR_OK);
        pictures.push_back(picture);
    }
    ASSERT_EQ(Control(QlnsimCommand::ShowFrames, 10), 3u);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        EXPECT_EQ(simulator_.ShownPicture(i), pictures[i]) << "frame " << i;
    }
    LONG time = -1;
    Send(id_, ICM_DRAW_GETTIME, reinterpret_cast<LPARAM>(&time));
    EXPECT_EQ(time, 3);
    Control(QlnsimCommand::WritePictures, reinterpret_cast<DWORD_PTR>("."));
}

}  // namespace
