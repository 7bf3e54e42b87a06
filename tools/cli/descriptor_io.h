// An FFmpeg I/O context over a file descriptor that the tool opened itself, so that every
// failure carries the system's own reason, and that waits for pipes and terminals in short
// steps, so that an interrupted job stops even while the other end stalls.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <vector>

extern "C" {
#include <libavformat/avio.h>
}

class DescriptorIo {
public:
    enum class Direction { kRead, kWrite };

    // `base` is where the file starts for FFmpeg: a descriptor inherited at some offset (an
    // output appended to) is seen from that offset on. Does not take over the descriptor.
    DescriptorIo(int descriptor, Direction direction, bool seekable, off_t base = 0);
    ~DescriptorIo();
    DescriptorIo(const DescriptorIo&) = delete;
    DescriptorIo& operator=(const DescriptorIo&) = delete;

    AVIOContext* Context() const { return context_; }
    // Reading: the first bytes read, up to kKeptBytes, for a second look at a file's header
    // when the file cannot be read twice (a pipe).
    static constexpr std::size_t kKeptBytes = 64 * 1024;
    const std::vector<uint8_t>& FirstBytes() const { return firstBytes_; }

private:
    static int Read(void* opaque, uint8_t* buffer, int size);
    static int Write(void* opaque, uint8_t* buffer, int size);
    static int64_t Seek(void* opaque, int64_t offset, int whence);
    // Waits until the descriptor is ready for the direction; an FFmpeg error on interruption.
    int AwaitReady() const;

    int descriptor_;
    Direction direction_;
    bool waits_;  // a pipe, socket or terminal, which can stall
    off_t base_;
    AVIOContext* context_ = nullptr;
    std::vector<uint8_t> firstBytes_;
};
