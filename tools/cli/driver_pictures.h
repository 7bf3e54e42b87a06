// Pictures in the driver's layouts: the ones it is given, made from FFmpeg's frames, and the
// ones it gives, seen as FFmpeg frames.
#pragma once

#include "ffmpeg.h"
#include "picture_layouts.h"
#include "scaler.h"

// The FFmpeg pixel format of each layout the driver gives; for "Y16", the UYVY that
// DecodedPicture turns its blocks into.
AVPixelFormat FfmpegFormatOf(const PictureFormat& format);

// Decoded frames in the layout the driver is to take, padded with black to its picture size.
class DriverPicture {
public:
    DriverPicture(const PictureFormat& format, int width, int height);

    // The frame in the driver's layout; interlaced frames are converted field by field.
    const Bytes& From(const AVFrame& frame, bool interlaced);

private:
    const PictureFormat& format_;
    int width_;
    int height_;
    Scaler scaler_;
    Bytes work_;
    Bytes picture_;
};

// The driver's decompressed picture as a frame FFmpeg can convert: top-down rows (the RGB ones
// read from the last row up), cut to the top left width × height.
class DecodedPicture {
public:
    DecodedPicture(const PictureFormat& format, int frameWidth, int width, int height);

    // A frame over `picture` (or over its UYVY, for "Y16"), valid until the next call.
    const AVFrame& From(const Bytes& picture);

private:
    const PictureFormat& format_;
    int rowBytes_;
    FramePointer frame_{av_frame_alloc()};
    Bytes converted_;
};
