// The format messages with two hostile headers: both queries, both get-format messages (into
// exactly the buffer the size question asked for), the size question, both begins, and a
// frame of each begun direction whose headers are hostile again.
#include "fuzz_host.h"

namespace {

void AskFormat(DWORD_PTR id, UINT message, HostFormat& input) {
    const LRESULT bytes = Send(id, message, AsParam(input.Header()));
    std::vector<BYTE> format = HostBuffer(bytes);
    if (!format.empty()) {
        Send(id, message, AsParam(input.Header()), AsParam(format.data()));
    }
}

void CompressOneFrame(DWORD_PTR id, FuzzedDataProvider& input) {
    HostFormat picture(input);
    HostFormat frame(input);
    std::vector<BYTE> pictureBytes = HostBuffer(ClaimedPictureBytes(*picture.Header()));
    std::vector<BYTE> frameBytes =
        HostBuffer(Send(id, ICM_COMPRESS_GET_SIZE, AsParam(picture.Header())));
    DWORD chunkId = 0;
    DWORD flags = 0;
    ICCOMPRESS request{};
    request.lpbiInput = picture.Header();
    request.lpInput = pictureBytes.data();
    request.lpbiOutput = frame.Header();
    request.lpOutput = frameBytes.data();
    request.lpckid = &chunkId;
    request.lpdwFlags = &flags;
    if (!pictureBytes.empty() && !frameBytes.empty()) {
        Send(id, ICM_COMPRESS, AsParam(&request), sizeof request);
    }
}

void DecompressOneFrame(DWORD_PTR id, FuzzedDataProvider& input) {
    HostFormat frame(input);
    HostFormat picture(input);
    std::vector<BYTE> frameBytes = HostBuffer(frame->biSizeImage);
    std::vector<BYTE> pictureBytes = HostBuffer(ClaimedPictureBytes(*picture.Header()));
    ICDECOMPRESS request{};
    request.lpbiInput = frame.Header();
    request.lpInput = frameBytes.data();
    request.lpbiOutput = picture.Header();
    request.lpOutput = pictureBytes.data();
    if (!pictureBytes.empty() && !frameBytes.empty()) {
        Send(id, ICM_DECOMPRESS, AsParam(&request), sizeof request);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AttachDriverOnce();
    FuzzedDataProvider input(data, size);
    FuzzedInstance instance;
    const DWORD_PTR id = instance.Id();
    instance.SetFieldSwap(input.ConsumeBool());
    HostFormat first(input);
    HostFormat second(input);
    const LPARAM in = AsParam(first.Header());
    const LPARAM out = AsParam(second.Header());
    for (UINT query : {ICM_COMPRESS_QUERY, ICM_DECOMPRESS_QUERY}) {
        Send(id, query, in, out);
        Send(id, query, in);
    }
    AskFormat(id, ICM_COMPRESS_GET_FORMAT, first);
    AskFormat(id, ICM_DECOMPRESS_GET_FORMAT, first);
    Send(id, ICM_COMPRESS_GET_SIZE, in, out);
    if (Send(id, ICM_COMPRESS_BEGIN, in, out) == ICERR_OK) {
        CompressOneFrame(id, input);
    }
    if (Send(id, ICM_DECOMPRESS_BEGIN, in, out) == ICERR_OK) {
        DecompressOneFrame(id, input);
    }
    return 0;
}
