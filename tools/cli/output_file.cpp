#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "ffmpeg.h"
#include "interrupt.h"
#include "tool_error.h"

namespace {

// Follows symbolic links to the name of the file itself, which need not exist yet; stops at a
// name that stands for an inherited descriptor.
std::string FollowLinks(std::string path) {
    constexpr int kMostHops = 40;  // as many as the system follows
    for (int hop = 0; hop < kMostHops && !DescriptorNamed(path, STDOUT_FILENO); ++hop) {
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length < 0 || length == static_cast<ssize_t>(sizeof target)) {
            break;
        }
        std::string next(target, static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        if (!next.starts_with('/') && slash != std::string::npos) {
            next = path.substr(0, slash + 1) + next;
        }
        path = next;
    }
    return path;
}

bool CanSeek(int descriptor) {
    const int flags = fcntl(descriptor, F_GETFL);
    return lseek(descriptor, 0, SEEK_CUR) >= 0 && flags >= 0 && (flags & O_APPEND) == 0;
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

[[noreturn]] void ThrowSystemError(const std::string& path, const char* doing) {
    throw FileError(path, std::string(doing) + ": " + std::strerror(errno));
}

}  // namespace

void RefuseInputAsOutput(const std::string& path, const std::optional<FileIdentity>& input) {
    if (!input) {
        return;
    }
    const std::string target = FollowLinks(path);
    std::optional<FileIdentity> output;
    if (const std::optional<int> descriptor = DescriptorNamed(target, STDOUT_FILENO)) {
        output = IdentityOf(*descriptor);
    } else if (struct stat status{}; stat(target.c_str(), &status) == 0) {
        output = FileIdentity{status.st_dev, status.st_ino};
    }
    if (output == input) {
        throw FileError(ShownName(path, true), "is the input file; name another output");
    }
}

OutputFile::OutputFile(const std::string& path, const std::optional<FileIdentity>& input)
    : path_(path) {
    RefuseInputAsOutput(path, input);
    const std::string target = FollowLinks(path);
    if (const std::optional<int> descriptor = DescriptorNamed(target, STDOUT_FILENO)) {
        OpenDescriptor(*descriptor);
        return;
    }
    struct stat status {};
    if (stat(target.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            throw FileError(path, "a folder; name a file in it");
        }
        if (!S_ISREG(status.st_mode)) {
            OpenExisting(target);
            return;
        }
        replacedMode_ = status.st_mode & 07777;
    }
    OpenTemporaryBeside(target);
    if (replacedMode_ && fchown(descriptor_, status.st_uid, status.st_gid) != 0) {
        // Only root may give a file away: a user's replacement is the user's own.
    }
}

OutputFile::~OutputFile() {
    if (!committed_) {
        Abandon();
    }
    io_.reset();
    if (owned_ && descriptor_ >= 0) {
        close(descriptor_);
    }
}

void OutputFile::OpenDescriptor(int descriptor) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        ThrowSystemError(ShownName(path_, true), "cannot write");
    }
    descriptor_ = descriptor;
    seekable_ = CanSeek(descriptor);
    if (S_ISREG(status.st_mode)) {
        lengthBefore_ = status.st_size;
        TruncateOnExit(descriptor, status.st_size);
    }
    io_ = std::make_unique<DescriptorIo>(descriptor, DescriptorIo::Direction::kWrite, seekable_,
                                         seekable_ ? lseek(descriptor, 0, SEEK_CUR) : 0);
}

void OutputFile::OpenExisting(const std::string& target) {
    // A pipe without a reader refuses to open without waiting; wait for one in short steps.
    for (;;) {
        descriptor_ = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (descriptor_ >= 0 || errno != ENXIO) {
            break;
        }
        StopIfInterrupted();
        usleep(100'000);
    }
    if (descriptor_ < 0) {
        ThrowSystemError(path_, "cannot write");
    }
    owned_ = true;
    fcntl(descriptor_, F_SETFL, fcntl(descriptor_, F_GETFL) & ~O_NONBLOCK);
    seekable_ = CanSeek(descriptor_);
    io_ = std::make_unique<DescriptorIo>(descriptor_, DescriptorIo::Direction::kWrite, seekable_);
}

void OutputFile::OpenTemporaryBeside(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // Hidden, and short enough for any file system that takes the name itself.
    std::string temporary = folder + "." + name.substr(0, 200) + ".qlnu-XXXXXX";
    descriptor_ = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor_ < 0) {
        // The file itself may well be writable: it is the folder that refuses.
        const int error = errno;
        throw FileError(path_, "cannot create a temporary file in " +
                                   (folder.empty() ? std::string("./") : folder) +
                                   " (where it is written first): " + std::strerror(error));
    }
    owned_ = true;
    temporary_ = temporary;
    target_ = target;
    RemoveOnExit(temporary_);
    seekable_ = true;
    io_ = std::make_unique<DescriptorIo>(descriptor_, DescriptorIo::Direction::kWrite, true);
}

void OutputFile::Close() {
    if (closed_) {
        return;
    }
    avio_flush(Io());
    if (Io()->error < 0) {
        throw FileError(ShownName(path_, true), "cannot write: " + AvErrorText(Io()->error));
    }
    closed_ = true;
    if (temporary_.empty()) {
        return;
    }
    io_.reset();
    if (fchmod(descriptor_, replacedMode_.value_or(NewFileMode())) != 0) {
        ThrowSystemError(path_, "cannot write");
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (close(descriptor) != 0) {
        ThrowSystemError(path_, "cannot write");
    }
}

void OutputFile::Commit() {
    Close();
    if (!temporary_.empty()) {
        if (rename(temporary_.c_str(), target_.c_str()) != 0) {
            ThrowSystemError(path_, "cannot put the finished file in place");
        }
        ForgetRemoveOnExit(temporary_);
    } else if (lengthBefore_) {
        ForgetTruncateOnExit(descriptor_);
    }
    committed_ = true;
}

void OutputFile::Abandon() {
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        ForgetRemoveOnExit(temporary_);
    } else if (lengthBefore_) {
        if (ftruncate(descriptor_, *lengthBefore_) != 0) {
            // Nothing more can be done for it on the way out of a failed job.
        }
        ForgetTruncateOnExit(descriptor_);
    }
}
