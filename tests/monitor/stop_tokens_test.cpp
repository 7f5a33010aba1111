// The end of the program waits for the monitor tasks before it frees the
// libraries they call into: the wait must see a task end on another thread,
// and must give up (false) on one that does not end.
#include "monitor/stop_tokens.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

constexpr int kLongEnoughMs = 10000;  // never reached when the task ends
constexpr int kShortMs = 50;

TEST(StopTokens, WaitEndsWhenTheLastTaskReleasesItsToken) {
    ASSERT_EQ(liveStopTokens(), 0);
    const std::int32_t a = createStopToken();
    const std::int32_t b = createStopToken();
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    // Two "tasks": each waits for its stop event, as a worker does between
    // cycles, and releases its token when it ends.
    auto task = [](std::int32_t token) {
        auto stop = acquireStopToken(token);
        if (stop) stop->wait(kLongEnoughMs);
        releaseStopToken(token);
    };
    std::thread first(task, a);
    std::thread second(task, b);
    setStopToken(a);
    setStopToken(b);
    EXPECT_TRUE(waitNoLiveStopTokens(kLongEnoughMs));
    EXPECT_EQ(liveStopTokens(), 0);
    first.join();
    second.join();
}

TEST(StopTokens, WaitGivesUpOnATaskThatDoesNotEnd) {
    const std::int32_t stuck = createStopToken();
    ASSERT_NE(stuck, 0);
    EXPECT_FALSE(waitNoLiveStopTokens(kShortMs));
    EXPECT_FALSE(waitNoLiveStopTokens(-1));  // no time at all: only looks
    releaseStopToken(stuck);
    EXPECT_TRUE(waitNoLiveStopTokens(0));
}

}  // namespace
