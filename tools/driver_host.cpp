#include "driver_host.h"

#include "common/codec_state.h"
#include "driver/driver_proc.h"
#include "driver/process.h"
#include "platform/code_module.h"

namespace {

template <typename T>
LPARAM AsParameter(T* pointer) {
    return reinterpret_cast<LPARAM>(pointer);
}

}  // namespace

DriverHost::DriverHost() {
    ProcessAttach(CodeModule());
    Send(DRV_LOAD);
    static ICINFO openParameters{};
    id_ = static_cast<DWORD_PTR>(Send(DRV_OPEN, 0, AsParameter(&openParameters)));
}

DriverHost::~DriverHost() {
    Send(DRV_CLOSE);
    Send(DRV_FREE);
    ProcessDetach();
}

LRESULT DriverHost::Send(UINT message, LPARAM l1, LPARAM l2) const {
    return DriverProc(id_, nullptr, message, l1, l2);
}

void DriverHost::SwapFieldOrder() const {
    CodecState state{};
    Send(ICM_GETSTATE, AsParameter(&state), sizeof state);
    state.ChangeFieldsOrder = 1;
    Send(ICM_SETSTATE, AsParameter(&state), sizeof state);
}

LRESULT DriverHost::BeginCompression(const BITMAPINFOHEADER& input,
                                     BITMAPINFOHEADER* output) const {
    BITMAPINFOHEADER in = input;
    if (const LRESULT query = Send(ICM_COMPRESS_QUERY, AsParameter(&in)); query != ICERR_OK) {
        return query;
    }
    if (const LRESULT proposed =
            Send(ICM_COMPRESS_GET_FORMAT, AsParameter(&in), AsParameter(output));
        proposed != ICERR_OK) {
        return proposed;
    }
    return Send(ICM_COMPRESS_BEGIN, AsParameter(&in), AsParameter(output));
}

std::size_t DriverHost::CompressedBytes(const BITMAPINFOHEADER& input,
                                        const BITMAPINFOHEADER& output) const {
    BITMAPINFOHEADER in = input;
    BITMAPINFOHEADER out = output;
    return static_cast<std::size_t>(
        Send(ICM_COMPRESS_GET_SIZE, AsParameter(&in), AsParameter(&out)));
}

DriverHost::FrameReport DriverHost::Compress(const BITMAPINFOHEADER& input, const BYTE* picture,
                                             const BITMAPINFOHEADER& output, BYTE* frame) const {
    BITMAPINFOHEADER in = input;
    BITMAPINFOHEADER out = output;
    DWORD chunkId = 0;
    DWORD flags = 0;
    ICCOMPRESS request{};
    request.dwFlags = ICCOMPRESS_KEYFRAME;
    request.lpbiOutput = &out;
    request.lpOutput = frame;
    request.lpbiInput = &in;
    request.lpInput = const_cast<BYTE*>(picture);
    request.lpckid = &chunkId;
    request.lpdwFlags = &flags;
    Send(ICM_COMPRESS, AsParameter(&request), sizeof request);
    return {out.biSizeImage, chunkId, flags};
}

void DriverHost::EndCompression() const {
    Send(ICM_COMPRESS_END);
}

LRESULT DriverHost::BeginDecompression(const BITMAPINFOHEADER& input,
                                       BITMAPINFOHEADER* output) const {
    BITMAPINFOHEADER in = input;
    if (const LRESULT query = Send(ICM_DECOMPRESS_QUERY, AsParameter(&in), AsParameter(output));
        query != ICERR_OK) {
        return query;
    }
    return Send(ICM_DECOMPRESS_BEGIN, AsParameter(&in), AsParameter(output));
}

void DriverHost::Decompress(const BITMAPINFOHEADER& input, const BYTE* frame, std::size_t bytes,
                            const BITMAPINFOHEADER& output, BYTE* picture) const {
    BITMAPINFOHEADER in = input;
    in.biSizeImage = static_cast<DWORD>(bytes);
    BITMAPINFOHEADER out = output;
    ICDECOMPRESS request{};
    request.lpbiInput = &in;
    request.lpInput = const_cast<BYTE*>(frame);
    request.lpbiOutput = &out;
    request.lpOutput = picture;
    Send(ICM_DECOMPRESS, AsParameter(&request), sizeof request);
}

void DriverHost::EndDecompression() const {
    Send(ICM_DECOMPRESS_END);
}
