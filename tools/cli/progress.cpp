#include "progress.h"

#include <unistd.h>

#include <cstdio>

#include "interrupt.h"

namespace {

// The line is rewritten at most this often, so that printing never slows the job.
constexpr std::chrono::milliseconds kShowEvery{250};

}  // namespace

Progress::Progress(std::string verb, int64_t total)
    : verb_(std::move(verb)), total_(total), onTerminal_(isatty(STDERR_FILENO) != 0) {}

Progress::~Progress() {
    if (!finished_) {
        ClearLine();
    }
}

void Progress::ClearLine() const {
    if (onTerminal_) {
        std::fprintf(stderr, "\r\033[K");
    }
}

double Progress::Seconds() const {
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

double Progress::FramesPerSecond() const {
    const double seconds = Seconds();
    return seconds > 0 ? static_cast<double>(done_) / seconds : 0;
}

void Progress::FrameDone() {
    StopIfInterrupted();
    ++done_;
    const Clock::time_point now = Clock::now();
    if (!onTerminal_ || now - lastShown_ < kShowEvery) {
        return;
    }
    lastShown_ = now;
    const double fps = FramesPerSecond();
    if (total_ > done_ && fps > 0) {
        const auto left = static_cast<long>(static_cast<double>(total_ - done_) / fps);
        std::fprintf(stderr, "\r%s frame %lld of %lld, %.1f fps, %ld:%02ld left   ", verb_.c_str(),
                     static_cast<long long>(done_), static_cast<long long>(total_), fps, left / 60,
                     left % 60);
    } else {
        std::fprintf(stderr, "\r%s frame %lld, %.1f fps   ", verb_.c_str(),
                     static_cast<long long>(done_), fps);
    }
}

void Progress::Note(const std::string& note) {
    ClearLine();
    std::fprintf(stderr, "qlnu: %s\n", note.c_str());
}

void Progress::Finish(const std::string& what) {
    finished_ = true;
    ClearLine();
    std::fprintf(stderr, "%s %lld frame%s in %.1f s (%.1f fps): %s\n", verb_.c_str(),
                 static_cast<long long>(done_), done_ == 1 ? "" : "s", Seconds(), FramesPerSecond(),
                 what.c_str());
}
