#include "fuzz_host.h"

#include <algorithm>
#include <cstring>

#include "common/codec_state.h"
#include "driver/process.h"
#include "platform/code_module.h"

namespace {

constexpr long long kLargestBuffer = 8 << 20;

constexpr DWORD kCompressions[] = {
    BI_RGB,
    mmioFOURCC('U', 'Y', 'V', 'Y'),
    mmioFOURCC('Y', 'U', 'Y', '2'),
    mmioFOURCC('Y', 'V', 'Y', 'U'),
    mmioFOURCC('Y', '1', '6', '\0'),
    mmioFOURCC('Y', '1', '6', 'A'),
    mmioFOURCC('Q', 'L', 'N', 'U'),
    mmioFOURCC('q', 'l', 'n', 'u'),
    mmioFOURCC('Q', 'L', 'N', 'D'),
};
constexpr WORD kBitCounts[] = {24, 16, 32, 0, 1, 4, 8, 12, 15};
constexpr LONG kDimensions[] = {32, 16, 48, 0, -16, -32, 17, 8, INT32_MIN, INT32_MAX, 0x10000};

template <typename T, std::size_t N>
T TakeFrom(FuzzedDataProvider& input, const T (&plausible)[N]) {
    if (input.ConsumeIntegralInRange<int>(0, 7) == 0) {
        return input.ConsumeIntegral<T>();
    }
    return input.PickValueInArray(plausible);
}

}  // namespace

void AttachDriverOnce() {
    static const BOOL attached = ProcessAttach(CodeModule());
    (void)attached;
}

FuzzedInstance::FuzzedInstance() : liveBlocks_(PosixHeapLiveBlockCount(ghDriverHeap)) {
    static ICINFO openParameters{};
    id_ = static_cast<DWORD_PTR>(Send(0, DRV_OPEN, 0, AsParam(&openParameters)));
}

FuzzedInstance::~FuzzedInstance() {
    Send(id_, DRV_CLOSE);
    if (PosixHeapLiveBlockCount(ghDriverHeap) != liveBlocks_) {
        std::abort();  // an input left a block behind on the driver's heap
    }
}

void FuzzedInstance::SetFieldSwap(bool swap) {
    CodecState state{};
    Send(id_, ICM_GETSTATE, AsParam(&state), sizeof state);
    state.ChangeFieldsOrder = swap ? 1 : 0;
    Send(id_, ICM_SETSTATE, AsParam(&state), sizeof state);
}

HostFormat::HostFormat(FuzzedDataProvider& input) {
    BITMAPINFOHEADER format{};
    format.biSize = input.ConsumeBool() ? sizeof format : input.ConsumeIntegralInRange(0, 1100);
    format.biWidth = TakeFrom(input, kDimensions);
    format.biHeight = TakeFrom(input, kDimensions);
    format.biPlanes = 1;
    format.biBitCount = TakeFrom(input, kBitCounts);
    format.biCompression = TakeFrom(input, kCompressions);
    format.biSizeImage = input.ConsumeBool() ? static_cast<DWORD>(ClaimedPictureBytes(format))
                                             : input.ConsumeIntegral<DWORD>();
    format.biClrUsed = input.ConsumeBool() ? 0 : input.ConsumeIntegralInRange(0, 300);
    bytes_.resize(std::max<std::size_t>(sizeof format, format.biSize + 4 * format.biClrUsed));
    std::memcpy(bytes_.data(), &format, sizeof format);
}

std::vector<BYTE> HostBuffer(long long bytes) {
    if (bytes < 0 || bytes > kLargestBuffer) {
        return {};
    }
    return std::vector<BYTE>(static_cast<std::size_t>(bytes), 0xEE);
}

long long ClaimedPictureBytes(const BITMAPINFOHEADER& format) {
    const long long pixels = std::llabs(static_cast<long long>(format.biWidth) * format.biHeight);
    if (pixels > kLargestBuffer) {
        return kLargestBuffer + 1;  // more than any buffer a fuzz input gets
    }
    return pixels * format.biBitCount / 8;
}
