// The progress of a long job: a line on standard error that is rewritten as frames are done
// (only when standard error is a terminal), and a summary line at the end in any case.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class Progress {
public:
    // `total` is the expected number of frames, 0 when unknown.
    Progress(std::string verb, int64_t total);
    // A job that ends without Finish() leaves no half-written line behind its error message.
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Counts a frame; throws ToolError once the user has interrupted the job (Ctrl-C or
    // SIGTERM), so that it ends the ordinary way and removes its unfinished output.
    void FrameDone();
    // Ends the progress line with the summary "<verb> N frames in S s (F fps): <what>".
    void Finish(const std::string& what);

private:
    using Clock = std::chrono::steady_clock;

    double Seconds() const;
    double FramesPerSecond() const;

    std::string verb_;
    int64_t total_;
    int64_t done_ = 0;
    bool onTerminal_;
    bool finished_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_ = start_;
};
