// The start queue's steps: table order, each step bounded by a count and by
// time, and hosts the user stopped, started or deleted before their turn
// passed over. The tasks themselves are not started here (the start is
// recorded); task_control_test.cpp runs the queue with real tasks.
#include <gtest/gtest.h>

#include <vector>

#include "monitor/running_tasks.h"
#include "monitor/start_queue.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Each reading of the clock moves it on by `tick`: a start "takes" one tick.
struct FakeClock {
    Clock::time_point now{};
    Clock::duration tick = 1ms;
    Clock::time_point read() { return now += tick; }
};

class StartQueueTest : public testing::Test {
protected:
    StartQueue::StartTask recorder() {
        return [this](std::int32_t id) {
            started_.push_back(id);
            // As TaskControl does: a start begins with a stop.
            running_.stopped(id);
            running_.started(id, id + 100);
        };
    }

    RunningTasks running_;
    FakeClock clock_;
    StartQueue queue_{running_, [this] { return clock_.read(); }};
    std::vector<std::int32_t> started_;
};

TEST_F(StartQueueTest, StepsStartInTableOrderBoundedByCountAndByTime) {
    for (int id : {7, 3, 9, 1, 4}) queue_.add(id);
    EXPECT_TRUE(running_.awaitsStart(7));
    EXPECT_FALSE(running_.isRunning(7));

    EXPECT_EQ(queue_.step(recorder(), {2, 1h}), 2u);  // the count ends it
    EXPECT_EQ(started_, (std::vector<std::int32_t>{7, 3}));
    EXPECT_FALSE(running_.awaitsStart(7));
    EXPECT_TRUE(running_.isRunning(3));

    clock_.tick = 10ms;  // every start past the budget: one per step
    EXPECT_EQ(queue_.step(recorder(), {25, 5ms}), 1u);
    EXPECT_EQ(started_.back(), 9);
    EXPECT_FALSE(queue_.empty());

    clock_.tick = 1ms;
    EXPECT_EQ(queue_.step(recorder(), {25, 1h}), 2u);
    EXPECT_TRUE(queue_.empty());
    EXPECT_EQ(started_, (std::vector<std::int32_t>{7, 3, 9, 1, 4}));
    EXPECT_EQ(queue_.step(recorder(), {25, 1h}), 0u);
}

// What the user did before the host's turn, and whether the turn starts it.
TEST_F(StartQueueTest, AHostTheUserActedOnBeforeItsTurnIsPassedOver) {
    for (int id = 1; id <= 6; ++id) queue_.add(id);
    running_.stopped(2);                               // 停止 (never ran): not started
    running_.stopped(3);                               // 删除 stops first: not started
    running_.stopped(4);                               // 启动 by the user: stop, then start
    running_.started(4, 999);
    EXPECT_EQ(queue_.step(recorder(), {2, 1h}), 2u);   // the passed-over ones do not count
    EXPECT_EQ(started_, (std::vector<std::int32_t>{1, 5}));
    EXPECT_EQ(running_.tokenOf(4), 999);               // the user's task is not restarted

    queue_.clear();                                    // the program ends first
    EXPECT_TRUE(queue_.empty());
    EXPECT_FALSE(running_.awaitsStart(6));
    EXPECT_EQ(queue_.step(recorder(), {25, 1h}), 0u);
    EXPECT_FALSE(running_.isRunning(6));
}

TEST(RunningTasksWaiting, AnyStopForgetsTheWaitAndNoListenerHearsIt) {
    RunningTasks running;
    std::vector<RunningTasks::Change> heard;
    running.addListener([&](std::int32_t, RunningTasks::Change c) { heard.push_back(c); });
    running.awaitStart(8);
    EXPECT_EQ(running.stopped(8), 0);  // no task ran: nothing to stop, nothing told
    EXPECT_FALSE(running.awaitsStart(8));
    EXPECT_TRUE(heard.empty());
    running.awaitStart(8);
    EXPECT_TRUE(running.takeWaiting(8));
    EXPECT_FALSE(running.takeWaiting(8));
}

}  // namespace
