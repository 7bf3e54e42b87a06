// Ctrl-C and SIGTERM. The first asks the job to stop: it notices within a second, also while
// its input or output stalls, and removes what it has not finished. The second ends the
// process at once, after removing the temporary files the job has made.
#pragma once

#include <sys/types.h>

#include <string>

extern "C" {
#include <libavformat/avio.h>
}

// Installs the handlers; called once by the main thread before it starts any other thread.
void HandleInterrupts();

// Ends the process by `signal` itself, as if no handler had caught it, so that a shell sees
// the death by the signal (and stops a loop) rather than an exit status.
[[noreturn]] void DieOf(int signal);
// The signal that interrupted the job, or 0.
int InterruptingSignal();
// Throws a ToolError once the user has asked the job to stop.
void StopIfInterrupted();
// For FFmpeg's contexts, which give up a blocked read or write when it answers 1.
AVIOInterruptCB InterruptCallback();

// What the second signal undoes before the process ends: temporary files to remove and
// descriptors to cut back to the length they had before the job wrote to them.
void RemoveOnExit(const std::string& path);
void ForgetRemoveOnExit(const std::string& path);
void TruncateOnExit(int descriptor, off_t length);
void ForgetTruncateOnExit(int descriptor);
