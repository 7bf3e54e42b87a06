// Fault guards: run a piece of code so that a processor fault inside it (an access violation
// from an unreadable page, an illegal instruction) or a C++ exception ends that code early
// instead of the process.
//
// Usage:
//     const bool completed = RunGuarded([&] { Kernel(destination, source, ...); });
// `completed` is false when the body was cut short; whatever it wrote before stays written.
// Guards nest: a fault ends the innermost guarded body of the faulting thread. A fault on a
// thread with no active guard is handed to whatever handled it before, so it still crashes.
//
// A fault leaves the body without unwinding it: destructors of the body's locals do not run,
// so a guarded body must own nothing that needs cleaning up (kernels own nothing).
#pragma once

#include <type_traits>

using GuardedBody = void (*)(void* context);

// Calls body(context) inside a guard; true if it returned normally.
bool RunGuardedCall(GuardedBody body, void* context) noexcept;

template <typename Body>
bool RunGuarded(Body&& body) noexcept {
    using BodyType = std::remove_reference_t<Body>;
    return RunGuardedCall([](void* context) { (*static_cast<BodyType*>(context))(); },
                          const_cast<void*>(static_cast<const void*>(&body)));
}
