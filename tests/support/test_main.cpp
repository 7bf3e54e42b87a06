// The main of every test program. Beyond GoogleTest's own, two rules hold for every test:
// - A test skips only for a reason that the run's environment states: its skip message begins
//   with "NAME=value", a variable the run has set to that value (an emulated processor's
//   QLNU_EXPECTED_CPU_CLASS=3, say). Any other skip fails the test, so that a test never goes
//   quiet because of what the code under test answered.
// - Under POSIX each test starts from an empty registry, as on a machine where the codec was
//   never configured: the registry stand-in lives as long as the program, and a test must not
//   see what an earlier one saved. (Under Wine the registry is the prefix's own.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/win_api.h"

namespace {

// True if `message` begins with "NAME=value" (up to a colon, a space or its end) and the
// environment holds NAME with that value.
bool NamesItsReason(const std::string& message) {
    const std::size_t equals = message.find('=');
    if (equals == 0 || equals == std::string::npos) {
        return false;
    }
    const std::string name = message.substr(0, equals);
    const std::size_t end = message.find_first_of(": ", equals);
    const std::string value = message.substr(equals + 1, end - equals - 1);
    const char* set = std::getenv(name.c_str());
    return set != nullptr && value == set;
}

class SkipRule : public testing::EmptyTestEventListener {
    // A listener may not report failures from here, so the skip is kept for OnTestEnd.
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.skipped() && !NamesItsReason(result.message())) {
            unexplained_ = result.message();
        }
    }
    // Listeners hear of a test's end last first, so this failure comes before the result line.
    void OnTestEnd(const testing::TestInfo&) override {
        if (unexplained_) {
            ADD_FAILURE() << "skipped without an environment variable that names the reason: \""
                          << *unexplained_ << '"';
            unexplained_.reset();
        }
    }

    std::optional<std::string> unexplained_;
};

#ifndef _WIN32
class EmptyRegistryForEachTest : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { PosixRegistryReset(); }
};
#endif

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    listeners.Append(new SkipRule);
#ifndef _WIN32
    listeners.Append(new EmptyRegistryForEachTest);
#endif
    return RUN_ALL_TESTS();
}
