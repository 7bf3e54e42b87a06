// The file a job reads: a file the tool opens itself ("-" for standard input), or a name that
// FFmpeg opens (a numbered picture sequence, a URL).
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "descriptor_io.h"

// A file as the system knows it, whatever name or link leads to it.
struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity&) const = default;
};

// The descriptor a name stands for: "-" and "pipe:" for `standard` (standard input or output),
// /dev/stdin, /dev/stdout and /dev/stderr for theirs, "pipe:N", /dev/fd/N and /proc/self/fd/N
// for N.
std::optional<int> DescriptorNamed(const std::string& path, int standard);

// The identity of the file `descriptor` refers to, if it is a file (not a pipe or terminal).
std::optional<FileIdentity> IdentityOf(int descriptor);
// How the user calls a path in messages: "standard input" and "standard output" for "-".
std::string ShownName(const std::string& path, bool output);

class InputFile {
public:
    // Throws a ToolError with the system's reason when the file cannot be opened.
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Path() const { return path_; }
    // The I/O context to read through, or nullptr when FFmpeg opens the name itself.
    AVIOContext* Io() const { return io_ ? io_->Context() : nullptr; }
    std::optional<FileIdentity> Identity() const { return identity_; }
    // The file's first bytes (up to DescriptorIo::kKeptBytes), read again or kept from the
    // pipe; empty when FFmpeg opens the name itself.
    std::vector<uint8_t> FirstBytes() const;

private:
    std::string path_;
    int descriptor_ = -1;
    bool owned_ = false;
    off_t start_ = 0;  // where FFmpeg's view of the file begins
    std::optional<FileIdentity> identity_;
    std::unique_ptr<DescriptorIo> io_;
};
