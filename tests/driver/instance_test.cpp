// The option record and codec description as hosts exchange them.
#include <array>
#include <cstring>
#include <string>

#include "codec/session_test.h"

namespace {

class InstanceStateTest : public SessionTest {
protected:
    LRESULT GetState(void* buffer, DWORD size) {
        return Send(id_, ICM_GETSTATE, reinterpret_cast<LPARAM>(buffer), size);
    }
    LRESULT SetState(const void* buffer, DWORD size) {
        return Send(id_, ICM_SETSTATE, reinterpret_cast<LPARAM>(buffer), size);
    }
    CodecState State() {
        CodecState state{};
        EXPECT_EQ(GetState(&state, sizeof state), 12);
        return state;
    }
};

using StateBytes = std::array<unsigned char, 12>;

StateBytes BytesOf(const CodecState& state) {
    StateBytes bytes;
    std::memcpy(bytes.data(), &state, sizeof state);
    return bytes;
}

TEST_F(InstanceStateTest, GetStateGivesTheFactoryStateToABufferLargeEnough) {
    const StateBytes expected = {'Q', 'L', 'N', 'U', 0x40, 0x1F, 0, 0, 1, 0, 1, 1};
    EXPECT_EQ(BytesOf(State()), expected);
    StateBytes buffer;
    buffer.fill(0xEE);
    EXPECT_EQ(GetState(buffer.data(), 0), 12);
    EXPECT_EQ(GetState(buffer.data(), 11), 0);
    StateBytes untouched;
    untouched.fill(0xEE);
    EXPECT_EQ(buffer, untouched);
    EXPECT_EQ(GetState(nullptr, 12), 12);
}

// Any letter case of the handler is taken as given, with option bytes unchecked, from a
// buffer of 12 bytes or more; anything else leaves the state as it was and answers 0.
TEST_F(InstanceStateTest, SetStateTakesTwelveBytesWithTheHandlerInAnyCase) {
    const struct {
        StateBytes given;
        DWORD size;
        bool taken;
    } cases[] = {
        {{'Q', 'L', 'N', 'U', 1, 2, 3, 4, 0, 1, 0, 7}, 12, true},
        {{'q', 'l', 'n', 'u', 0x40, 0x1F, 0, 0, 0, 1, 0, 1}, 12, true},
        {{'Q', 'l', 'N', 'u', 0, 0, 0, 0, 200, 201, 202, 203}, 12, true},
        {{'Q', 'L', 'N', 'U', 9, 9, 9, 9, 0, 1, 0, 1}, 100, true},
        {{'Q', 'L', 'N', 'T', 0x40, 0x1F, 0, 0, 0, 1, 0, 1}, 12, false},
        {{'Q', 'L', 0, 'U', 0x40, 0x1F, 0, 0, 0, 1, 0, 1}, 12, false},
        {{'Q', 'L', 'N', 'U', 0x40, 0x1F, 0, 0, 1, 1, 1, 1}, 11, false},
        {{'Q', 'L', 'N', 'U', 0x40, 0x1F, 0, 0, 1, 1, 1, 1}, 0, false},
    };
    for (const auto& c : cases) {
        const StateBytes before = BytesOf(State());
        std::array<unsigned char, 100> buffer{};
        std::memcpy(buffer.data(), c.given.data(), 12);
        EXPECT_EQ(SetState(buffer.data(), c.size), c.taken ? 12 : 0) << c.given[3];
        EXPECT_EQ(BytesOf(State()), c.taken ? c.given : before) << c.given[3];
    }
}

TEST_F(InstanceStateTest, SetStateWithoutBufferResetsToFactoryNotToDefaults) {
    DefaultCodecState.ChangeFieldsOrder = 1;
    const StateBytes odd = {'Q', 'L', 'N', 'U', 1, 1, 1, 1, 0, 1, 0, 0};
    ASSERT_EQ(SetState(odd.data(), 12), 12);
    EXPECT_EQ(SetState(nullptr, 0), 12);
    DefaultCodecState = kFactoryCodecState;
    EXPECT_EQ(BytesOf(State()), BytesOf(kFactoryCodecState));
}

TEST_F(InstanceStateTest, NewInstancesCopyTheOptionBytesOfTheDefaults) {
    DefaultCodecState.FiltrateAlpha = 0;
    DefaultCodecState.ChangeFieldsOrder = 1;
    DefaultCodecState.FastDCT = 0;
    DefaultCodecState.ReservedValue = 1234;
    const DWORD_PTR later = Open();
    CodecState state{};
    ASSERT_EQ(Send(later, ICM_GETSTATE, reinterpret_cast<LPARAM>(&state), 12), 12);
    Close(later);
    DefaultCodecState = kFactoryCodecState;
    const StateBytes expected = {'Q', 'L', 'N', 'U', 0x40, 0x1F, 0, 0, 0, 1, 0, 1};
    EXPECT_EQ(BytesOf(state), expected);
    EXPECT_EQ(State().ChangeFieldsOrder, 0) << "an open instance keeps its own options";
}

TEST_F(InstanceStateTest, SetStateOnTheConfigurationOnlyOpenAnswersZero) {
    const StateBytes given = {'Q', 'L', 'N', 'U', 0, 0, 0, 0, 0, 1, 0, 1};
    EXPECT_EQ(
        Send(kConfigurationOnlyDriverId, ICM_SETSTATE, reinterpret_cast<LPARAM>(given.data()), 12),
        0);
    EXPECT_EQ(DefaultCodecState.ChangeFieldsOrder, 0);
}

using CodecInfoTest = AttachedDriverTest;

std::u16string Wide(const WCHAR* text) {
    return std::u16string(text);
}

// The names come from the module's strings, each with its terminator.
TEST_F(CodecInfoTest, DescribesTheCodecInALargeEnoughRecord) {
    ICINFO info;
    std::memset(&info, 0xAB, sizeof info);
    info.dwVersionICM = 0x0104;
    info.szDriver[0] = u'x';
    info.szDriver[1] = u'\0';
    EXPECT_EQ(
        Send(kConfigurationOnlyDriverId, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), sizeof info),
        568);
    EXPECT_EQ(info.dwSize, 568u);
    EXPECT_EQ(info.fccType, mmioFOURCC('v', 'i', 'd', 'c'));
    EXPECT_EQ(info.fccHandler, mmioFOURCC('Q', 'L', 'N', 'U'));
    EXPECT_EQ(info.dwFlags, 0u) << "no board";
    EXPECT_EQ(info.dwVersion, 0x104u);
    EXPECT_EQ(info.dwVersionICM, 0x0104u);
    EXPECT_EQ(Wide(info.szDriver), u"x");
    EXPECT_EQ(Wide(info.szDescription), u"Telvik Uncompressed");
    EXPECT_EQ(Wide(info.szName), u"QLNU");
    EXPECT_EQ(info.szName[5], 0xABAB) << "nothing past the terminator";

    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(Send(kConfigurationOnlyDriverId, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), 567),
              0);
    EXPECT_EQ(info.dwSize, 0xABABABABu);

    // A module without the strings leaves the names as the host passed them.
    info.szName[0] = u'\0';
    info.szDescription[0] = u'\0';
    ghModule = reinterpret_cast<HMODULE>(&info);
    EXPECT_EQ(
        Send(kConfigurationOnlyDriverId, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), sizeof info),
        568);
    ghModule = CodeModule();
    EXPECT_EQ(Wide(info.szName), u"");
    EXPECT_EQ(Wide(info.szDescription), u"");
}

}  // namespace
