// The decompression session: writes each field of a QLNU frame into the picture lines its
// OddField bit names, one field per thread when a field worker runs.
#pragma once

#include "codec/decompressor.h"
#include "codec/field_worker.h"
#include "codec/picture_rows.h"
#include "codec/qlnu_frame.h"
#include "convert/yuv_repacker.h"
#include "convert/yuv_to_rgb_tables.h"

class FieldDecompressor final : public Decompressor {
public:
    FieldDecompressor() = default;
    // Stops the worker before the converters it uses go.
    ~FieldDecompressor() override;

    // Makes the converters and starts the worker. The formats come with every frame, so
    // neither argument is read.
    bool Begin(const BITMAPINFOHEADER* output, const CodecState* state) override;
    LONG DecompressFrame(ICDECOMPRESS* request) override;

    // Writes one field (height/2 lines of 2·width bytes) into every other row of the picture
    // whose frame-order row 0 is at `destination`, rows `rowSize` bytes apart: the odd picture
    // lines when `odd`, else the even ones. Whatever the conversion raises is caught and
    // ignored. Called by the calling thread and by the worker.
    virtual void ConvertField(bool odd, const BYTE* field, BYTE* destination, int width, int height,
                              int rowSize);

    const FieldWorker& Worker() const { return worker_; }

private:
    void StopWorker();
    void WriteFields(const FieldPair& fields, const PictureRows& picture, int width, int height);
    void ConvertLines(const BYTE* field, BYTE* firstRow, int width, int lines,
                      int destinationStride);

    FieldWorker worker_;
    YuvToRgbTables* rgbTables_ = nullptr;
    YuvRepacker* repacker_ = nullptr;
};
