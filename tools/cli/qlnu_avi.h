// AVI files whose video stream is QLNU: written frame by frame through libavformat's AVI
// muxer (which moves to OpenDML for files past 1 GB), and read back frame by frame with the
// structure of every frame checked.
#pragma once

#include <optional>
#include <string>

#include "ffmpeg.h"
#include "picture_layouts.h"

class QlnuAviWriter {
public:
    // Creates the file; throws ToolError when it cannot be written. The file is removed again
    // unless Finish() completes.
    QlnuAviWriter(const std::string& path, int width, int height, AVRational frameRate);

    // Appends one frame in a chunk with the two-character code `chunkId` ("dc") and the AVI
    // index `flags` that the driver reported for it.
    void Write(const Bytes& frame, DWORD bytes, DWORD chunkId, DWORD flags);
    void Finish();

private:
    [[noreturn]] void Fail(int error) const;

    // Declared first, so that the file is closed before it is removed.
    PendingOutput output_;
    OutputContext muxer_;
    AVStream* stream_ = nullptr;
    PacketPointer packet_{av_packet_alloc()};
    int64_t frames_ = 0;
};

class QlnuAviReader {
public:
    // Throws ToolError when the file cannot be read, is not an AVI or has no QLNU stream.
    explicit QlnuAviReader(const std::string& path);

    int Width() const { return stream_->codecpar->width; }
    int Height() const { return stream_->codecpar->height; }
    AVRational FrameRate() const;
    int64_t StatedFrames() const { return stream_->nb_frames; }
    // The format header of the stream, as a host hands it to the driver (which is given each
    // frame's size with the frame).
    BITMAPINFOHEADER Format() const;

    // The next frame's bytes, or false after the last frame.
    bool NextFrame(Bytes* frame);

private:
    std::string path_;
    InputContext input_;
    AVStream* stream_ = nullptr;
    PacketPointer packet_{av_packet_alloc()};
};

// What is wrong with the structure of a frame of a width × height picture, or nothing: the
// "QLN1" magic, then records of an 8-byte header (flags, size) and their bytes that end exactly
// at the frame's end, among them one field record of each parity (flags 0 and 0x80000000) of
// width × height bytes.
std::optional<std::string> FrameDamage(const Bytes& frame, int width, int height);
