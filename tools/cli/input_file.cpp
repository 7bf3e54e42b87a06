#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "tool_error.h"

namespace {

// Names FFmpeg resolves itself: URLs, and picture sequences such as frame%04d.png, which name
// no file of their own.
bool OpenedByFfmpeg(const std::string& path) {
    if (path.find("://") != std::string::npos) {
        return true;
    }
    struct stat status {};
    return path.find('%') != std::string::npos && stat(path.c_str(), &status) != 0;
}

}  // namespace

std::optional<int> DescriptorNamed(const std::string& path, int standard) {
    if (path == "-" || path == "pipe:") {
        return standard;
    }
    const std::string_view standardNames[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
    for (int descriptor = 0; descriptor < 3; ++descriptor) {
        if (path == standardNames[descriptor]) {
            return descriptor;
        }
    }
    for (const std::string_view prefix : {"pipe:", "/dev/fd/", "/proc/self/fd/"}) {
        if (!path.starts_with(prefix) || path.size() == prefix.size()) {
            continue;
        }
        int descriptor = 0;
        const char* last = path.data() + path.size();
        const auto [end, error] = std::from_chars(path.data() + prefix.size(), last, descriptor);
        if (error == std::errc() && end == last) {
            return descriptor;
        }
    }
    return std::nullopt;
}

std::optional<FileIdentity> IdentityOf(int descriptor) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !(S_ISREG(status.st_mode) || S_ISBLK(status.st_mode))) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

std::string ShownName(const std::string& path, bool output) {
    if (path == "-") {
        return output ? "standard output" : "standard input";
    }
    return path;
}

InputFile::InputFile(const std::string& path) : path_(path) {
    if (const std::optional<int> descriptor = DescriptorNamed(path, STDIN_FILENO)) {
        if (fcntl(*descriptor, F_GETFD) < 0) {
            throw FileError(ShownName(path, false), std::strerror(errno));
        }
        descriptor_ = *descriptor;
    } else if (OpenedByFfmpeg(path)) {
        return;
    } else {
        descriptor_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor_ < 0) {
            throw FileError(path, std::strerror(errno));
        }
        owned_ = true;
        struct stat status {};
        if (fstat(descriptor_, &status) == 0 && S_ISDIR(status.st_mode)) {
            close(descriptor_);
            throw FileError(path, "a folder, not a file");
        }
    }
    identity_ = IdentityOf(descriptor_);
    const off_t start = lseek(descriptor_, 0, SEEK_CUR);
    start_ = start < 0 ? 0 : start;
    io_ = std::make_unique<DescriptorIo>(descriptor_, DescriptorIo::Direction::kRead, start >= 0,
                                         start_);
}

InputFile::~InputFile() {
    io_.reset();
    if (owned_) {
        close(descriptor_);
    }
}

std::vector<uint8_t> InputFile::FirstBytes() const {
    if (!io_) {
        return {};
    }
    if (!identity_) {
        return io_->FirstBytes();
    }
    // A file may have been read out of order (an index at its end first).
    std::vector<uint8_t> bytes(DescriptorIo::kKeptBytes);
    const ssize_t got = pread(descriptor_, bytes.data(), bytes.size(), start_);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}
