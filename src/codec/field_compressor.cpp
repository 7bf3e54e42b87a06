#include "codec/field_compressor.h"

#include "codec/fast_copy.h"
#include "codec/picture_rows.h"
#include "codec/qlnu_frame.h"
#include "common/fourcc.h"
#include "platform/fault_guard.h"

namespace {

// The first field of a frame as the worker converts it.
class CompressionJob final : public FieldJob {
public:
    explicit CompressionJob(FieldCompressor& session) : session_(session) {}

    void Set(int width, int rows, int sourceStride, const BYTE* source, BYTE* destination) {
        width_ = width;
        rows_ = rows;
        sourceStride_ = sourceStride;
        source_ = source;
        destination_ = destination;
    }

    bool HasWork() const override { return source_ != nullptr; }
    void EndWork() override { source_ = nullptr; }
    void Convert() override {
        session_.ConvertField(source_, width_, rows_, sourceStride_, destination_);
    }

private:
    FieldCompressor& session_;
    int width_{};
    int rows_{};
    int sourceStride_{};
    const BYTE* source_ = nullptr;
    BYTE* destination_ = nullptr;
};

// The source's rows 1, 3, 5, … go to the first record and 0, 2, 4, … to the second, so for an
// RGB source (row 0 at the bottom) the first record holds the even picture lines.
DWORD FirstFieldFlags(DWORD sourceFourCC) {
    return sourceFourCC == BI_RGB ? 0 : kOddField;
}
DWORD SecondFieldFlags(DWORD sourceFourCC) {
    return sourceFourCC == BI_RGB ? kOddField : 0;
}

}  // namespace

FieldCompressor::~FieldCompressor() {
    StopWorker();
}

bool FieldCompressor::Begin(const BITMAPINFOHEADER*, const CodecState*) {
    StopWorker();
    rgbTables_ = new RgbToYuvTables;
    if (rgbTables_ == nullptr) {
        return false;
    }
    repacker_ = new YuvRepacker;
    if (repacker_ == nullptr) {
        return false;
    }
    worker_.Start([this] { return new CompressionJob(*this); });
    return true;
}

void FieldCompressor::StopWorker() {
    worker_.Stop();
    delete rgbTables_;
    rgbTables_ = nullptr;
    delete repacker_;
    repacker_ = nullptr;
}

LONG FieldCompressor::CompressFrame(ICCOMPRESS* request) {
    BITMAPINFOHEADER& output = *request->lpbiOutput;
    const BITMAPINFOHEADER& input = *request->lpbiInput;
    const LONG width = output.biWidth;
    if (width < 0) {
        return ICERR_OK;  // no picture has a negative width
    }
    const FrameLayout layout(width, PictureRowCount(output));
    const PictureRows source = FrameOrderRows(input, request->lpInput);
    if (output.biSizeImage < layout.FrameBytes() || !FitsIn<int>(2 * source.Pitch)) {
        return ICERR_OK;
    }

    auto* frame = static_cast<BYTE*>(request->lpOutput);
    WriteMagic(frame);
    sourceFourCC_ = input.biCompression;
    sourceBitCount_ = input.biBitCount;
    WriteFields(frame, layout, source, width, static_cast<int>(PictureRowCount(output) / 2));

    output.biSizeImage = static_cast<DWORD>(layout.FrameBytes());
    if (request->lpckid != nullptr) {
        *request->lpckid = kCompressedVideoChunkId;
    }
    if (request->lpdwFlags != nullptr) {
        *request->lpdwFlags |= kFrameIndexFlags;
    }
    return ICERR_OK;
}

// The first record takes the source's rows 1, 3, 5, …, the second its rows 0, 2, 4, …; with a
// worker the first is converted on the worker's thread while this thread does the second.
void FieldCompressor::WriteFields(BYTE* frame, const FrameLayout& layout, const PictureRows& source,
                                  int width, int fieldRows) {
    const auto fieldBytes = static_cast<DWORD>(layout.FieldBytes);
    const auto stride = static_cast<int>(2 * source.Pitch);
    const BYTE* oddSourceRows = source.RowZero + source.Pitch;
    const BYTE* evenSourceRows = source.RowZero;
    BYTE* firstPixels = frame + layout.FirstPixels();
    BYTE* secondPixels = frame + layout.SecondPixels();

    WriteFieldHeader(frame + layout.FirstHeader(), FirstFieldFlags(sourceFourCC_), fieldBytes);
    const bool handedOff = worker_.IsRunning();
    if (handedOff) {
        worker_.JobAs<CompressionJob>().Set(width, fieldRows, stride, oddSourceRows, firstPixels);
        worker_.BeginField();
    } else {
        ConvertField(oddSourceRows, width, fieldRows, stride, firstPixels);
    }
    WriteFieldHeader(frame + layout.SecondHeader(), SecondFieldFlags(sourceFourCC_), fieldBytes);
    ConvertField(evenSourceRows, width, fieldRows, stride, secondPixels);
    if (handedOff) {
        worker_.FinishField();
    }
}

void FieldCompressor::ConvertField(const BYTE* source, int width, int rows, int sourceStride,
                                   BYTE* destination) {
    // An empty picture (width or height 0) reaches no kernel.
    if (width == 0 || rows == 0) {
        return;
    }
    RunGuarded([&] { ConvertRows(source, width, rows, sourceStride, destination); });
}

void FieldCompressor::ConvertRows(const BYTE* source, int width, int rows, int sourceStride,
                                  BYTE* destination) {
    const int lineBytes = 2 * width;
    switch (sourceFourCC_) {
        case kFourCCUyvy:
            FastCopyField(destination, source, width, rows, lineBytes, sourceStride);
            break;
        case kFourCCYvyu:
            repacker_->PackYvyuField(destination, source, width, rows, lineBytes, sourceStride);
            break;
        case kFourCCYuy2:
            repacker_->PackYuy2Field(destination, source, width, rows, lineBytes, sourceStride);
            break;
        case kFourCCY16:
            repacker_->PackY16Field(destination, source, width, rows, lineBytes, sourceStride);
            break;
        case kFourCCY16A:
            repacker_->PackY16AField(destination, source, width, rows, lineBytes, sourceStride);
            break;
        case BI_RGB:
            if (sourceBitCount_ == 32) {
                rgbTables_->EncodeRgb32Field(destination, source, width, rows, lineBytes,
                                             sourceStride);
            } else {
                rgbTables_->EncodeRgb24Field(destination, source, width, rows, lineBytes,
                                             sourceStride);
            }
            break;
        default:
            break;
    }
}
