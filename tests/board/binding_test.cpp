// Binding the board's interface library: which slots end up on the library and which on their
// stubs, whether the library stays loaded, and what DRV_LOAD makes of the board's answers.
// Each test picks the library the driver finds by holding a simulator variant (or none).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board_library.h"
#include "board_library_loaded.h"
#include "board_simulator_client.h"
#include "support/attached_driver.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> StubbedSlots() {
    std::vector<std::string> names;
#define BOARD_ENTRY(name, argumentCount)                        \
    if (BoardApi.name == &BoardFunction<argumentCount>::Stub) { \
        names.emplace_back(#name);                              \
    }
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
    return names;
}

// Slots that do not hold the library's function of their name.
std::vector<std::string> SlotsNotResolvedFrom(HMODULE library) {
    std::vector<std::string> names;
#define BOARD_ENTRY(name, argumentCount)                                \
    if (reinterpret_cast<void (*)()>(BoardApi.name) !=                  \
        reinterpret_cast<void (*)()>(GetProcAddress(library, #name))) { \
        names.emplace_back(#name);                                      \
    }
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
    return names;
}

template <std::size_t... ArgumentIndex>
DWORD_PTR CallWithZeros(DWORD_PTR(WINAPI* function)(BoardArgument<ArgumentIndex>...),
                        std::index_sequence<ArgumentIndex...>) {
    return function(BoardArgument<ArgumentIndex>{}...);
}

std::vector<std::string> SlotsAnsweringNonZero() {
    std::vector<std::string> names;
#define BOARD_ENTRY(name, argumentCount)                                                \
    if (CallWithZeros(BoardApi.name, std::make_index_sequence<argumentCount>()) != 0) { \
        names.emplace_back(#name);                                                      \
    }
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
    return names;
}

// Attaches the process only once the test has chosen the library, since attaching binds it.
class BoardBindingTest : public AttachedDriverTest {
protected:
    void SetUp() override {}

    static void Attach() { ProcessAttach(CodeModule()); }

    static DWORD InfoFlags() {
        ICINFO info{};
        Send(0, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), sizeof info);
        return info.dwFlags;
    }

    // DRV_LOAD after a board that was usable, so that the answer is the board test's own.
    static void LoadDriver() {
        BoardUsable = 1;
        EXPECT_EQ(Send(0, DRV_LOAD), 1);
    }
};

using NoBoardLibraryTest = BoardBindingTest;

TEST_F(NoBoardLibraryTest, EverySlotStaysOnAStubAndTheBoardIsNotUsable) {
    ASSERT_EQ(LoadLibraryA("QLNINTER.DLL"), nullptr) << "a board library is installed";
    Attach();
    EXPECT_EQ(IsBoardLibraryBound(), 0);
    EXPECT_EQ(StubbedSlots().size(), kBoardEntryPointCount);
    EXPECT_THAT(SlotsAnsweringNonZero(), IsEmpty());
    LoadDriver();
    EXPECT_EQ(BoardUsable, 0);
    EXPECT_EQ(InfoFlags(), 0u);

    // Without a library held, a bind tries again and fails again; unbinding then is harmless.
    EXPECT_EQ(BindBoardLibrary(), 0);
    UnbindBoardLibrary();
    UnbindBoardLibrary();
    EXPECT_EQ(IsBoardLibraryBound(), 0);
    EXPECT_EQ(StubbedSlots().size(), kBoardEntryPointCount);
}

struct BindingCase {
    const char* name;
    QlnsimCommand command;
    DWORD_PTR value;
    int bound;
    BYTE usable;
};

const BindingCase kBindingCases[] = {
    {"ReadyBoard", QlnsimCommand::Reset, 0, 1, 1},
    {"AnyNonZeroStatusIsReady", QlnsimCommand::SetStatus, 2, 1, 1},
    {"StatusZero", QlnsimCommand::SetStatus, 0, 0, 0},
    {"Version1072", QlnsimCommand::SetVersion, 1072, 1, 0},
    {"Version1074", QlnsimCommand::SetVersion, 1074, 1, 0},
    {"VersionZero", QlnsimCommand::SetVersion, 0, 1, 0},
    {"Version1073InTheHighWord", QlnsimCommand::SetVersion, 1073u << 16, 1, 0},
};

// The test holds the complete simulator, so the driver binds it.
class SimulatedBoardTest : public BoardBindingTest {
protected:
    void SetUp() override { ASSERT_TRUE(simulator.IsLoaded()) << kBoardSimulatorPath; }

    BoardSimulator simulator{kBoardSimulatorPath};
};

class BoardAnswerTest : public SimulatedBoardTest,
                        public ::testing::WithParamInterface<BindingCase> {};

TEST_P(BoardAnswerTest, BindsAndTestsTheBoardAtDriverLoad) {
    const BindingCase& c = GetParam();
    simulator.Control(c.command, c.value);
    Attach();
    EXPECT_EQ(IsBoardLibraryBound(), c.bound);
    if (c.bound) {
        EXPECT_THAT(SlotsNotResolvedFrom(simulator.Library()), IsEmpty());
    } else {
        EXPECT_EQ(StubbedSlots().size(), kBoardEntryPointCount);
    }

    // A second bind answers at once while the library is held, and loads and asks it again
    // when it was let go.
    EXPECT_EQ(BindBoardLibrary(), c.bound);
    LoadDriver();
    EXPECT_EQ(BoardUsable, c.usable);
    EXPECT_EQ(InfoFlags(), c.usable ? VIDCF_DRAW : 0u);
    EXPECT_THAT(simulator.CalledEntries(),
                ElementsAre(BoardEntry::qlndll_status,
                            c.bound ? BoardEntry::vdc_get_version : BoardEntry::qlndll_status));

    EXPECT_EQ(Send(0, DRV_FREE), 1);
    EXPECT_EQ(BoardUsable, 0);
    EXPECT_EQ(InfoFlags(), 0u);

    // A library that did not report ready was freed at once; a bound one is held until detach.
    simulator.Release();
    EXPECT_EQ(BoardLibraryIsLoaded(), c.bound == 1);
    ProcessDetach();
    EXPECT_FALSE(BoardLibraryIsLoaded());
    EXPECT_EQ(StubbedSlots().size(), kBoardEntryPointCount);
}

INSTANTIATE_TEST_SUITE_P(Answers, BoardAnswerTest, ::testing::ValuesIn(kBindingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardBindingTest, MissingNameLeavesItsSlotOnTheStubAndTheLibraryLoaded) {
    BoardSimulator simulator(kBoardSimulatorMissingEntryPath);
    ASSERT_TRUE(simulator.IsLoaded()) << kBoardSimulatorMissingEntryPath;
    Attach();
    EXPECT_EQ(IsBoardLibraryBound(), 0);
    EXPECT_THAT(StubbedSlots(), ElementsAre(kMissingBoardEntry));
    EXPECT_THAT(SlotsNotResolvedFrom(simulator.Library()), ElementsAre(kMissingBoardEntry));

    LoadDriver();
    EXPECT_EQ(BoardUsable, 0);
    EXPECT_EQ(InfoFlags(), 0u);
    // The library is held although it is not bound, so a second bind answers 1 at once.
    EXPECT_EQ(BindBoardLibrary(), 1);
    EXPECT_EQ(IsBoardLibraryBound(), 0);
    EXPECT_THAT(simulator.CalledEntries(), ElementsAre(BoardEntry::qlndll_status));

    simulator.Release();
    EXPECT_TRUE(BoardLibraryIsLoaded());
    ProcessDetach();
    EXPECT_FALSE(BoardLibraryIsLoaded());
    EXPECT_EQ(StubbedSlots().size(), kBoardEntryPointCount);
}

}  // namespace
