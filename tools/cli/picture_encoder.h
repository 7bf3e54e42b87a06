// The decoded pictures of a job encoded into the output: raw samples where the container takes
// them, else the container's own codec when it loses nothing (PNG pictures), else the
// container's usual codec; --codec and --pix-fmt choose otherwise. The stream carries the
// pictures' field order and pixel shape.
#pragma once

#include <optional>
#include <string>

#include "media_output.h"
#include "scaler.h"

struct EncoderChoices {
    std::optional<std::string> codec;        // an FFmpeg encoder name
    std::optional<std::string> pixelFormat;  // an FFmpeg pixel format name
};

struct PictureStream {
    int width;
    int height;
    AVRational timeBase;  // of the times given with the pictures
    AVRational frameRate;
    AVFieldOrder fieldOrder;
    AVRational pixelAspect;
};

class PictureEncoder {
public:
    // Adds the stream to `output` (before it starts); `nearest` is the pixel format of the
    // pictures to come, which the encoder keeps as close to as it can. Throws a ToolError when
    // FFmpeg has no such encoder or it refuses the pictures.
    PictureEncoder(MediaOutput& output, const PictureStream& stream, AVPixelFormat nearest,
                   const EncoderChoices& choices);

    // The pixel format the encoder is given.
    AVPixelFormat PixelFormat() const { return encoder_->pix_fmt; }
    // Converts `picture` to the encoder's pixel format and writes it at `time`.
    void Write(const AVFrame& picture, int64_t time);
    // Writes the last picture again, at `time`.
    void Repeat(int64_t time);

    // Whether pictures whose samples are laid out as `format`, one row after the other, are
    // what the encoder takes; if so, from now on each is made in NextPicture() and written
    // as it is, and raw samples go to the container without a copy.
    bool TakePicturesAsTheyAre(AVPixelFormat format, int rowBytes);
    // The first row of the picture to fill for WriteNext().
    uint8_t* NextPicture();
    // Writes the picture made in NextPicture() at `time`.
    void WriteNext(int64_t time);
    // Writes what the encoder still holds.
    void Finish();

private:
    // Passes a frame (or the end, for nullptr) to the encoder and writes what it gives back.
    void Encode(const AVFrame* frame);
    // Writes a packet of raw samples at `time`; the packet stays the caller's.
    void WriteSamples(const AVPacket& samples, int64_t time);

    MediaOutput& output_;
    CodecContext encoder_;
    AVStream* stream_ = nullptr;
    bool interlaced_;
    FramePointer frame_{av_frame_alloc()};
    PacketPointer packet_{av_packet_alloc()};
    Scaler scaler_;
    // Raw samples made in place: the picture being made and the last one written.
    bool rawInPlace_ = false;
    int pictureBytes_ = 0;
    PacketPointer nextSamples_;
    PacketPointer lastSamples_;
};
