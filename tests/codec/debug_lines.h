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
        std::lock_guard guard(Lock());
        return Store();
    }
    void Clear() {
        std::lock_guard guard(Lock());
        Store().clear();
    }

private:
    static void Record(LPCSTR text) {
        std::lock_guard guard(Lock());
        Store().emplace_back(text);
    }
    static std::mutex& Lock() {
        static std::mutex lock;
        return lock;
    }
    static std::vector<std::string>& Store() {
        static std::vector<std::string> lines;
        return lines;
    }
};
