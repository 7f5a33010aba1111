#include "monitor/running_tasks.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Change = RunningTasks::Change;
using Heard = std::vector<std::pair<std::int32_t, Change>>;

TEST(RunningTasks, KeepsOneTokenPerHostAndForgetsOnStop) {
    RunningTasks tasks;
    tasks.started(7, 101);
    tasks.started(3, 102);
    EXPECT_EQ(tasks.tokenOf(7), 101);
    EXPECT_TRUE(tasks.isRunning(3));
    EXPECT_FALSE(tasks.isRunning(4));
    EXPECT_EQ(tasks.hosts(), (std::vector<std::int32_t>{3, 7}));
    EXPECT_EQ(tasks.stopped(7), 101);
    EXPECT_EQ(tasks.stopped(7), 0);  // a second stop names no task
    EXPECT_EQ(tasks.tokenOf(7), 0);
    tasks.started(5, 0);  // no task started: nothing recorded
    EXPECT_EQ(tasks.count(), 1u);
}

TEST(RunningTasks, ListenersHearRestartAsStopThenStart) {
    RunningTasks tasks;
    Heard heard;
    tasks.addListener([&](std::int32_t id, Change c) { heard.emplace_back(id, c); });
    tasks.started(9, 1);
    tasks.stopped(9);  // an edit: the old task goes ...
    tasks.started(9, 2);  // ... and a new one starts
    tasks.stopped(4);  // never started: nobody hears it
    EXPECT_EQ(heard, (Heard{{9, Change::started}, {9, Change::stopped}, {9, Change::started}}));
}

TEST(RunningTasks, AListenerMayRemoveItselfWhileNotified) {
    RunningTasks tasks;
    int calls = 0;
    RunningTasks::ListenerId id = 0;
    id = tasks.addListener([&](std::int32_t, Change) {
        ++calls;
        tasks.removeListener(id);
    });
    EXPECT_NE(id, 0);
    tasks.started(1, 1);
    tasks.started(2, 2);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(tasks.removeListener(id));
    EXPECT_EQ(tasks.addListener(nullptr), 0);
}

}  // namespace
