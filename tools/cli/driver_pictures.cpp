#include "driver_pictures.h"

#include "common/fourcc.h"

namespace {

// "Y16" blocks of 16 pixels (16 Y, 8 U, 8 V bytes) as UYVY.
Bytes Y16ToUyvy(const Bytes& y16) {
    Bytes uyvy(y16.size());
    for (std::size_t block = 0; block < y16.size(); block += 32) {
        const BYTE* in = y16.data() + block;
        BYTE* out = uyvy.data() + block;
        for (int pair = 0; pair < 8; ++pair) {
            out[4 * pair] = in[16 + pair];
            out[4 * pair + 1] = in[2 * pair];
            out[4 * pair + 2] = in[24 + pair];
            out[4 * pair + 3] = in[2 * pair + 1];
        }
    }
    return uyvy;
}

}  // namespace

AVPixelFormat FfmpegFormatOf(const PictureFormat& format) {
    switch (format.compression) {
        case BI_RGB:
            return AV_PIX_FMT_BGR24;
        case kFourCCYuy2:
            return AV_PIX_FMT_YUYV422;
        case kFourCCYvyu:
            return AV_PIX_FMT_YVYU422;
        default:
            return AV_PIX_FMT_UYVY422;
    }
}

DriverPicture::DriverPicture(const PictureFormat& format, int width, int height)
    : format_(format), width_(width), height_(height) {
    if (IsRgb(format)) {
        work_.assign(RowBytes(format, width) * height, 0);
    } else {
        // UYVY black: chroma 128, luma 16 (studio range).
        work_.resize(static_cast<std::size_t>(2 * width * height));
        for (std::size_t i = 0; i < work_.size(); i += 2) {
            work_[i] = 0x80;
            work_[i + 1] = 0x10;
        }
    }
}

const Bytes& DriverPicture::From(const AVFrame& frame, bool interlaced) {
    uint8_t* planes[4] = {work_.data()};
    if (IsRgb(format_)) {
        const int lineSizes[4] = {static_cast<int>(RowBytes(format_, width_))};
        scaler_.Convert(frame, format_.bitCount == 24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGR0, planes,
                        lineSizes, interlaced);
        // RGB pictures go to the driver bottom-up.
        picture_ = FlipRows(work_, RowBytes(format_, width_));
        return picture_;
    }
    const int lineSizes[4] = {2 * width_};
    scaler_.Convert(frame, AV_PIX_FMT_UYVY422, planes, lineSizes, interlaced);
    if (format_.compression == kUyvy.compression) {
        return work_;
    }
    picture_ = UyvyToLayout(work_, width_, height_, format_.compression, 0xFF);
    return picture_;
}

DecodedPicture::DecodedPicture(const PictureFormat& format, int frameWidth, int width, int height)
    : format_(format), rowBytes_(static_cast<int>(RowBytes(format, frameWidth))) {
    frame_->format = FfmpegFormatOf(format);
    frame_->width = width;
    frame_->height = height;
}

const AVFrame& DecodedPicture::From(const Bytes& picture) {
    const Bytes& samples =
        format_.compression == kFourCCY16 ? (converted_ = Y16ToUyvy(picture)) : picture;
    uint8_t* first = const_cast<uint8_t*>(samples.data());
    if (IsRgb(format_)) {
        const std::size_t rows = samples.size() / rowBytes_;
        frame_->data[0] = first + static_cast<std::ptrdiff_t>(rowBytes_) * (rows - 1);
        frame_->linesize[0] = -rowBytes_;
    } else {
        frame_->data[0] = first;
        frame_->linesize[0] = rowBytes_;
    }
    return *frame_;
}
