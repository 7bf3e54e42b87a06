// ICM_DRAW of hostile "QLN1" and "QLND" frames on a board whose ring is small, so that fields
// wrap around its end. The frame's data is exactly cbData bytes long, so the sanitizers see
// any read past it; every ring write must stay inside the ring.
#include <algorithm>

#include "board/board_library.h"
#include "fuzz_host.h"

namespace {

struct Ring {
    std::vector<BYTE> bytes = std::vector<BYTE>(4096);
    DWORD writeAt = 0;
} gRing;

void InstallRingBoard() {
    BoardApi.vdc_register = [](DWORD_PTR) -> DWORD_PTR { return 1; };
    BoardApi.vdc_SetFormat = [](DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) -> DWORD_PTR {
        return 1;
    };
    BoardApi.vdc_AllocVideoFifo = [](DWORD_PTR size) -> DWORD_PTR {
        *reinterpret_cast<DWORD*>(size) = static_cast<DWORD>(gRing.bytes.size());
        return reinterpret_cast<DWORD_PTR>(gRing.bytes.data());
    };
    BoardApi.vdc_CheckFreeSize = [](DWORD_PTR, DWORD_PTR) -> DWORD_PTR { return gRing.writeAt; };
    BoardApi.vdc_AddData = [](DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR count) -> DWORD_PTR {
        gRing.writeAt = static_cast<DWORD>((gRing.writeAt + count) % gRing.bytes.size());
        return 1;
    };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AttachDriverOnce();
    InstallRingBoard();
    BoardUsable = 1;
    FuzzedDataProvider input(data, size);
    FuzzedInstance instance;
    gRing.writeAt = input.ConsumeIntegralInRange<DWORD>(0, 4095);
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
