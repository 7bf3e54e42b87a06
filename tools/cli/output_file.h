// Where a job's output goes, chosen so that no job loses what the path held before:
// - "-" (and "pipe:N", /dev/stdout, /dev/fd/N): the descriptor the shell gave, written
//   directly; a regular file behind it is cut back to its old length when the job fails;
// - an existing device, pipe or socket: written directly and never removed;
// - anything else, after following symbolic links: a temporary file beside it, renamed into
//   place when the job succeeds and removed when it does not.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "descriptor_io.h"
#include "input_file.h"

// Throws a ToolError naming `path` when it is the input file, by any name or link.
void RefuseInputAsOutput(const std::string& path, const std::optional<FileIdentity>& input);

class OutputFile {
public:
    // Throws a ToolError naming `path` when it is the input file (by any name or link) or
    // cannot be written.
    OutputFile(const std::string& path, const std::optional<FileIdentity>& input);
    // Removes the temporary file, or cuts the descriptor back, unless Commit() completed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& Path() const { return path_; }
    AVIOContext* Io() const { return io_ ? io_->Context() : nullptr; }
    bool Seekable() const { return seekable_; }
    // The descriptor written, for a second pass over what FFmpeg wrote (may be unreadable).
    int Descriptor() const { return descriptor_; }

    // Writes out what FFmpeg still buffers and, for a temporary file, closes it (numbered
    // pictures are many); throws a ToolError when that fails.
    void Close();
    // Closes the file and puts it in place; throws a ToolError when that fails.
    void Commit();

private:
    void OpenDescriptor(int descriptor);
    void OpenTemporaryBeside(const std::string& target);
    void OpenExisting(const std::string& target);
    void Abandon();

    std::string path_;
    int descriptor_ = -1;
    bool owned_ = false;
    bool seekable_ = false;
    std::unique_ptr<DescriptorIo> io_;
    // A regular file behind an inherited descriptor: its length before the job.
    std::optional<off_t> lengthBefore_;
    // A temporary file: its name and the file it is to replace.
    std::string temporary_;
    std::string target_;
    std::optional<mode_t> replacedMode_;
    bool closed_ = false;
    bool committed_ = false;
};
