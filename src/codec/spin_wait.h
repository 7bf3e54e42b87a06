// A short spin before a thread blocks. Waking a blocked thread costs a kernel round trip (tens
// of microseconds, and more under Wine), as much as converting a small field; when the other
// thread answers within that time, spinning saves the round trip at both ends.
#pragma once

#include "platform/win_api.h"

// How long to spin, in cycles of the time-stamp counter (about 0.1 ms at 2 GHz). The counter
// bounds it on every processor from the Pentium up, whatever the pause hint costs there.
inline constexpr unsigned long long kSpinCycles = 200000;

// Spins until `done()` or the end of the spin, and answers `done()`.
template <typename Condition>
bool SpinBriefly(Condition done) {
    const unsigned long long until = __builtin_ia32_rdtsc() + kSpinCycles;
    while (!done() && __builtin_ia32_rdtsc() < until) {
        YieldProcessor();
    }
    return done();
}
