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

    // Counts a frame; throws a ToolError once the user has interrupted the job.
    void FrameDone();
    // A line about the job ("qlnu: " and `note`) that the progress line does not overwrite.
    void Note(const std::string& note);
    // Ends the progress line with the summary "<verb> N frames in S s (F fps): <what>".
    void Finish(const std::string& what);

private:
    using Clock = std::chrono::steady_clock;

    double Seconds() const;
    double FramesPerSecond() const;
    void ClearLine() const;

    std::string verb_;
    int64_t total_;
    int64_t done_ = 0;
    bool onTerminal_;
    bool finished_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_ = start_;
};
