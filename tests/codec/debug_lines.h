// Collects the driver's debugger output, from any thread, while an object of this class lives.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/win_api.h"

class DebugLines {
public:
    DebugLines() {
        Clear();
        SetDebugOutputHook(&Record);
    }
    ~DebugLines() { SetDebugOutputHook(nullptr); }
    DebugLines(const DebugLines&) = delete;
    DebugLines& operator=(const DebugLines&) = delete;

    std::vector<std::string> Lines() const {
        std::lock_guard guard(lock_);
        return lines_;
    }
    void Clear() {
        std::lock_guard guard(lock_);
        lines_.clear();
    }

private:
    static void Record(LPCSTR text) {
        std::lock_guard guard(lock_);
        lines_.emplace_back(text);
    }

    static inline std::mutex lock_;
    static inline std::vector<std::string> lines_;
};
