// Process attach over a hostile registry: the driver's two keys filled with values of wrong
// types, lengths and counts, then an instance opened and its state read, as a host does first.
#include "common/codec_state.h"
#include "driver/process.h"
#include "fuzz_host.h"
#include "platform/code_module.h"

namespace {

constexpr LPCSTR kKeys[] = {
    "Software\\Orvane\\Quillon\\Codec",
    "SoftWare\\Telvik\\Common codec's settings\\YUV defective application",
};
constexpr LPCSTR kValueNames[] = {
    "FastDCT",       "ChangeFieldsOrder",
    "FiltrateAlpha", "AppCount",
    "App1",          "App2",
    "App16",         "App17",
    "App0",          "Correct state",
    "Application00", "Application01",
    "Application0F", "Application10",
    "application0a",
};
constexpr DWORD kTypes[] = {REG_DWORD, REG_SZ, REG_BINARY};

void WriteHostileValues(FuzzedDataProvider& input) {
    PosixRegistryReset();
    while (input.remaining_bytes() > 0) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, input.PickValueInArray(kKeys), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return;
        }
        const LPCSTR name = input.PickValueInArray(kValueNames);
        const DWORD type =
            input.ConsumeBool() ? input.PickValueInArray(kTypes) : input.ConsumeIntegral<DWORD>();
        const std::vector<BYTE> bytes =
            input.ConsumeBytes<BYTE>(input.ConsumeIntegralInRange<std::size_t>(0, 300));
        RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    WriteHostileValues(input);
    ProcessAttach(CodeModule());
    {
        FuzzedInstance instance;
        CodecState state{};
        Send(instance.Id(), ICM_GETSTATE, AsParam(&state), sizeof state);
        BITMAPINFOHEADER frame{sizeof frame, 32, 32, 1, 24, mmioFOURCC('Q', 'L', 'N', 'U')};
        BITMAPINFOHEADER picture{sizeof picture, 32, 32, 1, 16, mmioFOURCC('Y', 'U', 'Y', '2')};
        Send(instance.Id(), ICM_DECOMPRESS_QUERY, AsParam(&frame), AsParam(&picture));
    }
    ProcessDetach();
    return 0;
}
