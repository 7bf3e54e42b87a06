#include "codec/field_decompressor.h"

#include "codec/fast_copy.h"
#include "codec/picture_rows.h"
#include "codec/qlnu_frame.h"
#include "common/fourcc.h"
#include "platform/fault_guard.h"

namespace {

// The first field of a frame as the worker converts it.
class DecompressionJob final : public FieldJob {
public:
    explicit DecompressionJob(FieldDecompressor& session) : session_(session) {}

    void Set(int width, int height, DWORD flags, int rowSize, const BYTE* field,
             BYTE* destination) {
        width_ = width;
        height_ = height;
        flags_ = flags;
        rowSize_ = rowSize;
        field_ = field;
        destination_ = destination;
    }

    bool HasWork() const override { return field_ != nullptr; }
    void EndWork() override { field_ = nullptr; }
    void Convert() override {
        if ((flags_ & ~kOddField) == 0) {
            session_.ConvertField((flags_ & kOddField) != 0, field_, destination_, width_, height_,
                                  rowSize_);
        }
    }

private:
    FieldDecompressor& session_;
    int width_{};
    int height_{};
    DWORD flags_{};
    int rowSize_{};
    const BYTE* field_ = nullptr;
    BYTE* destination_ = nullptr;
};

constexpr DWORD kSkippedFrameFlags = ICDECOMPRESS_HURRYUP | ICDECOMPRESS_PREROLL;

}  // namespace

FieldDecompressor::~FieldDecompressor() {
    StopWorker();
}

bool FieldDecompressor::Begin(const BITMAPINFOHEADER*, const CodecState*) {
    StopWorker();
    rgbTables_ = new YuvToRgbTables;
    if (rgbTables_ == nullptr) {
        return false;
    }
    repacker_ = new YuvRepacker;
    if (repacker_ == nullptr) {
        return false;
    }
    worker_.Start([this] { return new DecompressionJob(*this); });
    return true;
}

void FieldDecompressor::StopWorker() {
    worker_.Stop();
    delete rgbTables_;
    rgbTables_ = nullptr;
    delete repacker_;
    repacker_ = nullptr;
}

LONG FieldDecompressor::DecompressFrame(ICDECOMPRESS* request) {
    if ((request->dwFlags & kSkippedFrameFlags) != 0) {
        return ICERR_OK;
    }
    const BITMAPINFOHEADER& output = *request->lpbiOutput;
    const LONG width = output.biWidth;
    const std::int64_t height = PictureRowCount(output);
    const PictureRows picture = FrameOrderRows(output, request->lpOutput);
    outputFourCC_ = output.biCompression;

    const auto* frame = static_cast<const BYTE*>(request->lpInput);
    const DWORD frameBytes = request->lpbiInput->biSizeImage;
    // Two rows apart must still be a kernel stride.
    if (!HasQlnuMagic(frame, frameBytes) || !FitsIn<int>(height) ||
        !FitsIn<int>(2 * picture.Pitch)) {
        return ICERR_BADFORMAT;
    }
    const FrameLayout layout(width, height);
    FieldPair fields;
    if (!FindFields(frame, frameBytes, layout.FieldBytes, &fields)) {
        return ICERR_BADFORMAT;
    }
    if (layout.FieldBytes != 0) {
        WriteFields(fields, picture, width, static_cast<int>(height));
    }
    return ICERR_OK;
}

// Two fields of one parity write the same rows: they go one after the other, so that the
// second one's lines are what the host gets, with or without a worker. Otherwise the worker
// converts the first field while this thread converts the second.
void FieldDecompressor::WriteFields(const FieldPair& fields, const PictureRows& picture, int width,
                                    int height) {
    const auto rowSize = static_cast<int>(picture.Pitch);
    const bool handedOff = worker_.IsRunning() && fields.First.IsOdd() != fields.Second.IsOdd();
    if (handedOff) {
        worker_.JobAs<DecompressionJob>().Set(width, height, fields.First.Flags, rowSize,
                                              fields.First.Pixels, picture.RowZero);
        worker_.BeginField();
    } else {
        ConvertField(fields.First.IsOdd(), fields.First.Pixels, picture.RowZero, width, height,
                     rowSize);
    }
    ConvertField(fields.Second.IsOdd(), fields.Second.Pixels, picture.RowZero, width, height,
                 rowSize);
    if (handedOff) {
        worker_.FinishField();
    }
}

void FieldDecompressor::ConvertField(bool odd, const BYTE* field, BYTE* destination, int width,
                                     int height, int rowSize) {
    // Only frames with pixels get here (DecompressFrame), so width and lines are above 0.
    const int lines = height / 2;
    // Row 0 is the top line of a top-down picture and the bottom line of a bottom-up RGB
    // picture; h is even, so the odd lines start one row up from the bottom in the latter.
    const bool startsOneRowIn = odd != (outputFourCC_ == BI_RGB);
    BYTE* firstRow = destination + (startsOneRowIn ? rowSize : 0);
    RunGuarded([&] { ConvertLines(field, firstRow, width, lines, 2 * rowSize); });
}

void FieldDecompressor::ConvertLines(const BYTE* field, BYTE* firstRow, int width, int lines,
                                     int destinationStride) {
    const int lineBytes = 2 * width;
    switch (outputFourCC_) {
        case kFourCCUyvy:
            FastCopyField(firstRow, field, width, lines, destinationStride, lineBytes);
            break;
        case kFourCCYuy2:
            repacker_->UnpackYuy2Field(firstRow, field, width, lines, destinationStride, lineBytes);
            break;
        case kFourCCYvyu:
            repacker_->UnpackYvyuField(firstRow, field, width, lines, destinationStride, lineBytes);
            break;
        case kFourCCY16:
            repacker_->UnpackY16Field(firstRow, field, width, lines, destinationStride, lineBytes);
            break;
        case BI_RGB:
            rgbTables_->DecodeRgb24Field(firstRow, field, width, lines, destinationStride,
                                         lineBytes);
            break;
        default:
            break;
    }
}
