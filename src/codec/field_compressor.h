// The compression session: writes each picture as a QLNU frame, one field per thread when a
// field worker runs.
#pragma once

#include "codec/compressor.h"
#include "codec/field_worker.h"
#include "codec/picture_rows.h"
#include "codec/qlnu_frame.h"
#include "convert/rgb_to_yuv_tables.h"
#include "convert/yuv_repacker.h"

class FieldCompressor final : public Compressor {
public:
    FieldCompressor() = default;
    // Stops the worker before the converters it uses go.
    ~FieldCompressor() override;

    // Makes the converters and starts the worker. The formats come with every frame, so
    // neither argument is read.
    bool Begin(const BITMAPINFOHEADER* input, const CodecState* state) override;
    LONG CompressFrame(ICCOMPRESS* request) override;
    void Hook() override {}

    // Converts `rows` source rows, `sourceStride` bytes apart, into as many consecutive lines
    // of a UYVY field at `destination`, by the FourCC of the latest frame's source. Whatever
    // the conversion raises is caught and ignored.
    void ConvertField(const BYTE* source, int width, int rows, int sourceStride, BYTE* destination);

    const FieldWorker& Worker() const { return worker_; }

private:
    void StopWorker();
    void WriteFields(BYTE* frame, const FrameLayout& layout, const PictureRows& source, int width,
                     int fieldRows);
    void ConvertRows(const BYTE* source, int width, int rows, int sourceStride, BYTE* destination);

    RgbToYuvTables* rgbTables_ = nullptr;
    YuvRepacker* repacker_ = nullptr;
    DWORD sourceFourCC_ = 0;
    DWORD sourceBitCount_ = 0;
    FieldWorker worker_;
};
