// Fault injection for tests: a count of calls still to go before one is refused.
#pragma once

#include <atomic>

#include "platform/posix/win_types.h"

// Counts one call down; true for the call that the count reaches 0 at. A count of 0 refuses
// nothing.
inline bool IsRefusedCall(std::atomic<SIZE_T>& callsBeforeRefusal) {
    SIZE_T left = callsBeforeRefusal.load();
    while (left != 0 && !callsBeforeRefusal.compare_exchange_weak(left, left - 1)) {
    }
    return left == 1;
}
