// Every failure the qlnu tool reports to its user: one line that names the file and the
// problem, and the exit status that goes with it.
#pragma once

#include <stdexcept>
#include <string>

// The exit statuses of the tool.
inline constexpr int kExitFailed = 1;  // bad or damaged input, unwritable output
inline constexpr int kExitUsage = 2;   // a command line the tool does not understand

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
