// ICM_SETSTATE, ICM_GETSTATE and ICM_GETINFO with hostile buffers and sizes, on an instance
// and on the configuration-only open. A size never exceeds the buffer behind it: a host that
// claims more than it gave is beyond any driver's help.
#include "fuzz_host.h"

namespace {

struct HostRecord {
    std::vector<BYTE> bytes;
    BYTE* pointer;  // null, or the bytes
    DWORD size;
};

HostRecord TakeRecord(FuzzedDataProvider& input) {
    HostRecord record;
    record.bytes = input.ConsumeBytes<BYTE>(input.ConsumeIntegralInRange<std::size_t>(0, 600));
    record.pointer = input.ConsumeBool() ? nullptr : record.bytes.data();
    record.size = input.ConsumeIntegralInRange<DWORD>(0, static_cast<DWORD>(record.bytes.size()));
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AttachDriverOnce();
    FuzzedDataProvider input(data, size);
    FuzzedInstance instance;
    const DWORD_PTR id = input.ConsumeBool() ? instance.Id() : kConfigurationOnlyDriverId;
    for (UINT message : {ICM_SETSTATE, ICM_GETSTATE, ICM_GETINFO, ICM_SETSTATE, ICM_GETSTATE}) {
        HostRecord record = TakeRecord(input);
        Send(id, message, AsParam(record.pointer), record.size);
    }
    return 0;
}
