// Every failure the qlnu tool reports to its user: one line that names the file and the
// problem, and the exit status that goes with it.
#pragma once

#include <stdexcept>
#include <string>

// The exit statuses of the tool; an interrupted job ends by the signal itself (128 + its
// number to a shell).
inline constexpr int kExitFailed = 1;   // bad input or unwritable output: nothing was written
inline constexpr int kExitUsage = 2;    // a command line the tool does not understand
inline constexpr int kExitDamaged = 3;  // damaged input: written without the damaged frames

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message, int status = kExitFailed)
        : std::runtime_error(message), status_(status) {}

    int Status() const { return status_; }

private:
    int status_;
};

// "FILE: PROBLEM".
inline ToolError FileError(const std::string& path, const std::string& problem) {
    return ToolError(path + ": " + problem);
}
