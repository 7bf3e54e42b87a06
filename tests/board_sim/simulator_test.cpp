// The board simulator itself: its exports, its log and the answers the tests rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board_api.h"
#include "board_simulator_client.h"

namespace {

template <typename Pointer>
Pointer EntryPoint(HMODULE library, LPCSTR name) {
    return reinterpret_cast<Pointer>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Calls an entry point with the arguments 1, 2, ... for as many as it takes.
template <std::size_t... ArgumentIndex>
DWORD_PTR CallWithCountingArguments(DWORD_PTR(WINAPI* function)(BoardArgument<ArgumentIndex>...),
                                    std::index_sequence<ArgumentIndex...>) {
    return function((ArgumentIndex + 1)...);
}

class BoardSimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(simulator.IsLoaded()) << kBoardSimulatorPath; }

    // Calls the simulator's own export, as the driver would after binding it.
    template <std::size_t argumentCount, typename... Arguments>
    DWORD_PTR Call(LPCSTR name, Arguments... arguments) {
        const auto function =
            EntryPoint<typename BoardFunction<argumentCount>::Pointer>(simulator.Library(), name);
        return function(static_cast<DWORD_PTR>(arguments)...);
    }

    BoardSimulator simulator{kBoardSimulatorPath};
};

template <std::size_t argumentCount>
void ExpectExportedAndLogged(const BoardSimulator& simulator, BoardEntry entry, LPCSTR name) {
    const auto function =
        EntryPoint<typename BoardFunction<argumentCount>::Pointer>(simulator.Library(), name);
    ASSERT_NE(function, nullptr) << name;
    if (entry == BoardEntry::vdc_AllocVideoFifo) {
        return;  // its argument is the address of the size
    }
    CallWithCountingArguments(function, std::make_index_sequence<argumentCount>());
    const QlnsimCall call = simulator.Calls().back();
    EXPECT_EQ(call.entry, entry) << name;
    ASSERT_EQ(call.argumentCount, argumentCount) << name;
    for (DWORD_PTR i = 0; i < call.argumentCount; ++i) {
        EXPECT_EQ(call.arguments[i], i + 1) << name << " argument " << i;
    }
}

TEST_F(BoardSimulatorTest, EveryEntryPointIsExportedAndLogsItsArguments) {
#define BOARD_ENTRY(name, argumentCount) \
    ExpectExportedAndLogged<argumentCount>(simulator, BoardEntry::name, #name);
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
    EXPECT_EQ(simulator.Calls().size(), kBoardEntryPointCount - 1);
}

TEST_F(BoardSimulatorTest, DefaultsAreAReadyBoardThatGrantsEveryResource) {
    EXPECT_EQ(Call<0>("qlndll_status"), 1u);
    EXPECT_EQ(Call<0>("vdc_get_version"), 1073u);
    for (DWORD_PTR resource : {1, 4, 5, 7, 8, 9}) {
        EXPECT_EQ(Call<1>("vdc_register", resource), 1u) << resource;
    }
    EXPECT_NE(Call<4>("vdc_SetFormat", 720, 576, 1, 25), 0u);
}

struct ControlCase {
    const char* name;
    QlnsimCommand command;
    DWORD_PTR value;
    const char* entry;
    DWORD_PTR argument;
    DWORD_PTR expected;
};

const ControlCase kControlCases[] = {
    {"StatusZero", QlnsimCommand::SetStatus, 0, "qlndll_status", 0, 0},
    {"OtherVersion", QlnsimCommand::SetVersion, 1072, "vdc_get_version", 0, 1072},
    {"RefusedResource", QlnsimCommand::RefuseRegister, 9, "vdc_register", 9, 0},
    {"OtherResourceStillGranted", QlnsimCommand::RefuseRegister, 9, "vdc_register", 7, 1},
};

void PrintTo(const ControlCase& c, std::ostream* out) {
    *out << c.name;
}

class SimulatorControlTest : public BoardSimulatorTest,
                             public ::testing::WithParamInterface<ControlCase> {};

TEST_P(SimulatorControlTest, ChangesTheAnswerUntilReset) {
    const ControlCase& c = GetParam();
    EXPECT_EQ(simulator.Control(c.command, c.value), 1u);
    const bool takesArgument = std::strcmp(c.entry, "vdc_register") == 0;
    const auto call = [&] {
        return takesArgument ? Call<1>(c.entry, c.argument) : Call<0>(c.entry);
    };
    EXPECT_EQ(call(), c.expected);
    EXPECT_EQ(simulator.Calls().back().result, c.expected);
    simulator.Control(QlnsimCommand::Reset);
    EXPECT_TRUE(simulator.Calls().empty());
    EXPECT_NE(call(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Commands, SimulatorControlTest, ::testing::ValuesIn(kControlCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardSimulatorTest, UnknownCommandIsRefused) {
    EXPECT_EQ(simulator.Control(static_cast<QlnsimCommand>(99), 1), 0u);
}

TEST_F(BoardSimulatorTest, RingHasTheRequestedSizeAndFreeSpaceWrapsAroundIt) {
    DWORD size = 1000;
    const DWORD_PTR base = Call<1>("vdc_AllocVideoFifo", reinterpret_cast<DWORD_PTR>(&size));
    ASSERT_NE(base, 0u);
    EXPECT_EQ(size, 1000u);
    // The whole ring is writable (AddressSanitizer would see a write past it).
    std::memset(reinterpret_cast<void*>(base), 0xAB, size);

    EXPECT_EQ(Call<2>("vdc_CheckFreeSize", 600, 40), 0u);
    EXPECT_EQ(Call<2>("vdc_CheckFreeSize", 300, 40), 600u);
    EXPECT_EQ(Call<2>("vdc_CheckFreeSize", 300, 40), 900u);
    EXPECT_EQ(Call<2>("vdc_CheckFreeSize", 10, 40), 200u);

    Call<0>("vdc_ReleaseVideoFifo");
    DWORD secondSize = 64;
    ASSERT_NE(Call<1>("vdc_AllocVideoFifo", reinterpret_cast<DWORD_PTR>(&secondSize)), 0u);
    EXPECT_EQ(Call<2>("vdc_CheckFreeSize", 10, 40), 0u);
}

TEST(BoardSimulatorMissingEntryTest, LeavesExactlyOneNameUnexported) {
    BoardSimulator simulator(kBoardSimulatorMissingEntryPath);
    ASSERT_TRUE(simulator.IsLoaded()) << kBoardSimulatorMissingEntryPath;
    std::size_t missing = 0;
#define BOARD_ENTRY(name, argumentCount)                         \
    if (GetProcAddress(simulator.Library(), #name) == nullptr) { \
        EXPECT_STREQ(#name, kMissingBoardEntry);                 \
        ++missing;                                               \
    }
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
    EXPECT_EQ(missing, 1u);
}

}  // namespace
