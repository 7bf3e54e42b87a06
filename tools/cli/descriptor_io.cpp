#include "descriptor_io.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "interrupt.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

// Large enough that an 800 KB frame takes few system calls.
constexpr int kBufferBytes = 256 * 1024;
// How long one wait for a stalled pipe lasts before the interruption is looked at again.
constexpr int kWaitStepMs = 100;

bool CanStall(int descriptor) {
    struct stat status {};
    return fstat(descriptor, &status) == 0 &&
           (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) || S_ISCHR(status.st_mode));
}

}  // namespace

DescriptorIo::DescriptorIo(int descriptor, Direction direction, bool seekable, off_t base)
    : descriptor_(descriptor), direction_(direction), waits_(CanStall(descriptor)), base_(base) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    const bool writes = direction == Direction::kWrite;
    if (buffer != nullptr) {
        context_ = avio_alloc_context(buffer, kBufferBytes, writes, this, writes ? nullptr : Read,
                                      writes ? Write : nullptr, seekable ? Seek : nullptr);
    }
    if (context_ == nullptr) {
        av_free(buffer);
        throw std::bad_alloc();
    }
    context_->seekable = seekable ? AVIO_SEEKABLE_NORMAL : 0;
}

DescriptorIo::~DescriptorIo() {
    av_freep(&context_->buffer);
    avio_context_free(&context_);
}

int DescriptorIo::AwaitReady() const {
    pollfd ready{descriptor_, static_cast<short>(direction_ == Direction::kRead ? POLLIN : POLLOUT),
                 0};
    for (;;) {
        if (InterruptingSignal() != 0) {
            return AVERROR_EXIT;
        }
        const int answer = poll(&ready, 1, kWaitStepMs);
        if (answer > 0) {
            return 0;
        }
        if (answer < 0 && errno != EINTR) {
            return AVERROR(errno);
        }
    }
}

int DescriptorIo::Read(void* opaque, uint8_t* buffer, int size) {
    auto& io = *static_cast<DescriptorIo*>(opaque);
    for (;;) {
        if (io.waits_) {
            if (const int error = io.AwaitReady(); error < 0) {
                return error;
            }
        }
        const ssize_t got = read(io.descriptor_, buffer, static_cast<std::size_t>(size));
        if (got > 0) {
            const std::size_t keep =
                std::min(kKeptBytes - io.firstBytes_.size(), static_cast<std::size_t>(got));
            io.firstBytes_.insert(io.firstBytes_.end(), buffer, buffer + keep);
            return static_cast<int>(got);
        }
        if (got == 0) {
            return AVERROR_EOF;
        }
        if (errno != EINTR && errno != EAGAIN) {
            return AVERROR(errno);
        }
        if (InterruptingSignal() != 0) {
            return AVERROR_EXIT;
        }
    }
}

int DescriptorIo::Write(void* opaque, uint8_t* buffer, int size) {
    auto& io = *static_cast<DescriptorIo*>(opaque);
    int done = 0;
    while (done < size) {
        if (io.waits_) {
            if (const int error = io.AwaitReady(); error < 0) {
                return error;
            }
        }
        const ssize_t put =
            write(io.descriptor_, buffer + done, static_cast<std::size_t>(size - done));
        if (put >= 0) {
            done += static_cast<int>(put);
        } else if (errno != EINTR && errno != EAGAIN) {
            return AVERROR(errno);
        } else if (InterruptingSignal() != 0) {
            return AVERROR_EXIT;
        }
    }
    return done;
}

int64_t DescriptorIo::Seek(void* opaque, int64_t offset, int whence) {
    auto& io = *static_cast<DescriptorIo*>(opaque);
    if (whence == AVSEEK_SIZE) {
        struct stat status {};
        return fstat(io.descriptor_, &status) == 0 ? status.st_size - io.base_ : AVERROR(errno);
    }
    whence &= ~AVSEEK_FORCE;
    const off_t position =
        lseek(io.descriptor_, whence == SEEK_SET ? io.base_ + offset : offset, whence);
    return position < 0 ? AVERROR(errno) : position - io.base_;
}
