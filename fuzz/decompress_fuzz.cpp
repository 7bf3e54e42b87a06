// ICM_DECOMPRESS of hostile frames (random bytes and mutated valid frames) into every output
// format a host may name, hostile bit counts included, with and without the field order swap.
// The frame's header claims exactly the bytes given, and every buffer is exactly as large as
// its header says, so the sanitizers see any byte read or written past them.
#include "fuzz_host.h"

namespace {

constexpr BITMAPINFOHEADER kOutputs[] = {
    {sizeof(BITMAPINFOHEADER), 0, 0, 1, 24, BI_RGB},
    {sizeof(BITMAPINFOHEADER), 0, 0, 1, 16, mmioFOURCC('U', 'Y', 'V', 'Y')},
    {sizeof(BITMAPINFOHEADER), 0, 0, 1, 16, mmioFOURCC('Y', 'U', 'Y', '2')},
    {sizeof(BITMAPINFOHEADER), 0, 0, 1, 16, mmioFOURCC('Y', 'V', 'Y', 'U')},
    {sizeof(BITMAPINFOHEADER), 0, 0, 1, 16, mmioFOURCC('Y', '1', '6', '\0')},
};

BITMAPINFOHEADER Sized(BITMAPINFOHEADER format, LONG width, LONG height) {
    format.biWidth = width;
    format.biHeight = height;
    format.biSizeImage = static_cast<DWORD>(ClaimedPictureBytes(format));
    return format;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AttachDriverOnce();
    FuzzedDataProvider input(data, size);
    FuzzedInstance instance;
    instance.SetFieldSwap(input.ConsumeBool());
    const LONG width = 16 * input.ConsumeIntegralInRange<LONG>(1, 4);
    const LONG height = 16 * input.ConsumeIntegralInRange<LONG>(1, 4);
    BITMAPINFOHEADER compressed = Sized(kOutputs[0], width, height);
    compressed.biCompression = mmioFOURCC('Q', 'L', 'N', 'U');
    BITMAPINFOHEADER begun = Sized(input.PickValueInArray(kOutputs), width, height);
    if (Send(instance.Id(), ICM_DECOMPRESS_BEGIN, AsParam(&compressed), AsParam(&begun)) !=
        ICERR_OK) {
        return 0;
    }
    BITMAPINFOHEADER output = input.ConsumeBool() ? begun : *HostFormat(input).Header();
    std::vector<BYTE> picture = HostBuffer(ClaimedPictureBytes(output));
    ICDECOMPRESS request{};
    request.dwFlags = input.ConsumeBool() ? input.ConsumeIntegral<DWORD>() : 0;
    std::vector<BYTE> frame = input.ConsumeRemainingBytes<BYTE>();
    compressed.biSizeImage = static_cast<DWORD>(frame.size());
    request.lpbiInput = &compressed;
    request.lpInput = frame.data();
    request.lpbiOutput = &output;
    request.lpOutput = picture.data();
    if (!picture.empty() || ClaimedPictureBytes(output) == 0) {
        Send(instance.Id(), ICM_DECOMPRESS, AsParam(&request), sizeof request);
    }
    Send(instance.Id(), ICM_DECOMPRESS_END);
    return 0;
}
