// ICM_DRAW of hostile "QLN1" and "QLND" frames on a board whose ring is small, most often smaller
// than the frame, so that fields wrap around its end or cannot fit at all, and whose
// vdc_CheckFreeSize answers from the input: room where the last field ended, no room for a
// while, or offsets near, at and past the ring's end. The frame's data is exactly cbData bytes
// long and the ring exactly its size, so the sanitizers see any read past the one or write past
// the other.
#include <algorithm>

#include "board/board_library.h"
#include "fuzz_host.h"

namespace {

constexpr DWORD kLargestRing = 256;
constexpr int kMostScriptedAnswers = 8;

struct Ring {
    std::vector<BYTE> bytes;
    DWORD writeAt = 0;
    // Answers of vdc_CheckFreeSize that the input chose, taken in turn before the plain ones.
    LONG answers[kMostScriptedAnswers] = {};
    int answerCount = 0;
    int answered = 0;
} gRing;

// No room (the renderer asks again, so refusals are few), an offset a little before the end,
// at it, a little past it, or anywhere.
LONG ChooseAnswer(FuzzedDataProvider& input, DWORD ringBytes) {
    const LONG distance = input.ConsumeIntegralInRange<LONG>(0, 64);
    switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0:
            return -1 - distance;
        case 1:
            return std::max<LONG>(0, static_cast<LONG>(ringBytes) - 1 - distance);
        case 2:
            return static_cast<LONG>(ringBytes);
        case 3:
            return static_cast<LONG>(ringBytes) + 1 + distance;
        default:
            return input.ConsumeIntegral<LONG>();
    }
}

void InstallRingBoard() {
    BoardApi.vdc_register = [](DWORD_PTR) -> DWORD_PTR { return 1; };
    BoardApi.vdc_SetFormat = [](DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) -> DWORD_PTR {
        return 1;
    };
    BoardApi.vdc_AllocVideoFifo = [](DWORD_PTR size) -> DWORD_PTR {
        *reinterpret_cast<DWORD*>(size) = static_cast<DWORD>(gRing.bytes.size());
        return reinterpret_cast<DWORD_PTR>(gRing.bytes.data());
    };
    BoardApi.vdc_CheckFreeSize = [](DWORD_PTR, DWORD_PTR) -> DWORD_PTR {
        if (gRing.answered < gRing.answerCount) {
            return static_cast<DWORD_PTR>(gRing.answers[gRing.answered++]);
        }
        return gRing.writeAt;
    };
    BoardApi.vdc_AddData = [](DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR count) -> DWORD_PTR {
        gRing.writeAt = static_cast<DWORD>((gRing.writeAt + count) % gRing.bytes.size());
        return 1;
    };
}

// Integers come from the input's end, so inputs that end in zeros (the seeds) draw on the
// largest ring with plain answers.
void SetUpRing(FuzzedDataProvider& input) {
    const DWORD ringBytes = kLargestRing - input.ConsumeIntegralInRange<DWORD>(0, kLargestRing - 1);
    gRing.bytes = std::vector<BYTE>(ringBytes);
    gRing.writeAt = input.ConsumeIntegralInRange<DWORD>(0, ringBytes - 1);
    gRing.answerCount = input.ConsumeIntegralInRange(0, kMostScriptedAnswers);
    gRing.answered = 0;
    for (int i = 0; i < gRing.answerCount; ++i) {
        gRing.answers[i] = ChooseAnswer(input, ringBytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AttachDriverOnce();
    InstallRingBoard();
    BoardUsable = 1;
    FuzzedDataProvider input(data, size);
    FuzzedInstance instance;
    SetUpRing(input);
    BITMAPINFOHEADER format{sizeof format, 32, 32, 1, 24, mmioFOURCC('Q', 'L', 'N', 'U')};
    ICDRAWBEGIN begin{};
    begin.dwFlags = ICDRAW_FULLSCREEN;
    begin.lpbi = &format;
    if (Send(instance.Id(), ICM_DRAW_BEGIN, AsParam(&begin), sizeof begin) == ICERR_OK) {
        ICDRAW draw{};
        draw.dwFlags = input.ConsumeBool() ? input.ConsumeIntegral<DWORD>() : 0;
        draw.lTime = input.ConsumeIntegral<LONG>();
        std::vector<BYTE> frame = input.ConsumeRemainingBytes<BYTE>();
        draw.lpData = frame.empty() ? nullptr : frame.data();
        draw.cbData = static_cast<DWORD>(frame.size());
        Send(instance.Id(), ICM_DRAW, AsParam(&draw), sizeof draw);
        Send(instance.Id(), ICM_DRAW_END);
    }
    return 0;
}
