#include "health/health_monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/health/fake_sink.h"

namespace {

using Texts = std::vector<std::string>;

// Three hosts and a loopback one, already answering, with the hold-back
// over: each test starts from a quiet, healthy list.
class HealthMonitorTest : public ::testing::Test {
protected:
    HealthMonitorTest() : monitor(sink) {
        monitor.startHoldBack(clock.now());
        monitor.hostStarted(1, {"办公网关", "198.18.1.1"}, clock.now());
        monitor.hostStarted(2, {"远端服务器", "198.18.1.2"}, clock.now());
        monitor.hostStarted(3, {"离线主机", "198.18.1.3"}, clock.now());
        monitor.hostStarted(9, {"本机", "127.0.0.1"}, clock.now());
        cycle({1, 2, 3, 9}, {1, 2, 3, 9});
        clock.advance(kHoldBackSeconds);
        monitor.tick(clock.now());
        sink.notices.clear();
        sink.trays.clear();
    }

    // One second: every host in `hosts` reports, those in `answering` answer.
    void cycle(std::vector<int> hosts, std::vector<int> answering, int level = 1, int latency = 20) {
        clock.advance(1);
        for (int id : hosts) {
            const bool answered = std::find(answering.begin(), answering.end(), id) != answering.end();
            monitor.onCycle(id, answered, answered ? level : 4, answered ? latency : 1000, clock.now());
        }
        monitor.tick(clock.now());
    }
    void cycles(int n, std::vector<int> hosts, std::vector<int> answering) {
        for (int i = 0; i < n; ++i) cycle(hosts, answering);
    }
    void wait(double seconds) {
        for (double s = 0; s < seconds; s += 0.5) monitor.tick(clock.advance(0.5));
    }

    FakeClock clock;
    RecordingSink sink;
    HealthMonitor monitor;
};

TEST_F(HealthMonitorTest, ADownHostIsToldOnceWithItsAddressAndItsRecoveryWithTheDuration) {
    cycles(3, {1, 2, 3, 9}, {2, 3, 9});
    EXPECT_TRUE(sink.notices.empty()) << "the group waits for its window";
    wait(kNoticeGroupSeconds);
    ASSERT_EQ(sink.texts(), (Texts{"主机中断：办公网关（198.18.1.1）"}));
    EXPECT_TRUE(sink.notices[0].warning);
    EXPECT_EQ(sink.episodes, (Texts{"open 1 down @1032"}));
    EXPECT_EQ(sink.trays.back().level, TrayLevel::down);
    EXPECT_EQ(sink.trays.back().downNames, (std::vector<Text>{"办公网关"}));

    cycles(30, {1, 2, 3, 9}, {2, 3, 9});  // the episode runs on, nothing more is said
    cycles(2, {1, 2, 3, 9}, {1, 2, 3, 9});
    wait(kNoticeGroupSeconds);
    ASSERT_EQ(sink.notices.size(), 2u);
    EXPECT_EQ(sink.notices[1].text.str(), "主机恢复：办公网关（198.18.1.1），中断 35秒");
    EXPECT_FALSE(sink.notices[1].warning);
    EXPECT_EQ(sink.episodes.back(), "close 1 down @1067");
    EXPECT_EQ(sink.trays.back().level, TrayLevel::normal);
}

TEST_F(HealthMonitorTest, TransitionsWithinTheWindowOfTheFirstMakeOneNotice) {
    cycles(2, {1, 2, 3, 9}, {2, 3, 9});
    // Host 1 goes down on the next cycle, host 2 half a second later
    // (its third failure), host 3 answers on.
    clock.advance(1);
    monitor.onCycle(1, false, 4, 1000, clock.now());
    monitor.onCycle(2, false, 4, 1000, clock.advance(0.5));
    monitor.onCycle(2, false, 4, 1000, clock.advance(0.5));
    monitor.onCycle(2, false, 4, 1000, clock.advance(0.5));
    monitor.tick(clock.advance(0.4));
    EXPECT_TRUE(sink.notices.empty()) << "shown at most 2 s after the first, not before";
    monitor.tick(clock.advance(0.1));
    EXPECT_EQ(sink.texts(), (Texts{"2 台主机中断：办公网关、远端服务器"}));
    EXPECT_EQ(sink.notices[0].title.str(), "主机中断");
}

TEST_F(HealthMonitorTest, TheLocalNetworkIsOneNoticeAndItsRecoveryFoldsTheHostsIn) {
    cycles(3, {1, 2, 3, 9}, {9});  // every host but the loopback one fails
    wait(kNoticeGroupSeconds);
    ASSERT_EQ(sink.notices.size(), 1u);
    EXPECT_EQ(sink.notices[0].title.str(), "本地网络中断");
    EXPECT_EQ(sink.notices[0].text.str(), "本地网络中断，3 台主机均无应答");
    EXPECT_TRUE(monitor.localNetworkDown());

    cycles(60, {1, 2, 3, 9}, {9});
    EXPECT_EQ(sink.notices.size(), 1u) << "once per episode";
    // Hosts 1 and 2 answer again; host 3 stays silent.
    cycles(2, {1, 2, 3, 9}, {1, 2, 9});
    wait(kNoticeGroupSeconds);
    ASSERT_EQ(sink.notices.size(), 2u);
    EXPECT_EQ(sink.notices[1].text.str(), "本地网络已恢复，中断 1分5秒；仍中断：离线主机");
    EXPECT_FALSE(monitor.localNetworkDown());
    // Host 3's own recovery later is its own notice again.
    cycles(2, {1, 2, 3, 9}, {1, 2, 3, 9});
    wait(kNoticeGroupSeconds);
    ASSERT_EQ(sink.notices.size(), 3u);
    EXPECT_EQ(sink.notices[2].title.str(), "主机恢复");
}

TEST_F(HealthMonitorTest, TheLocalNoticeComesEvenAfterPerHostOnesAndSilencesThemWhileItLasts) {
    cycles(3, {1, 2, 3, 9}, {2, 3, 9});
    wait(kNoticeGroupSeconds);
    ASSERT_EQ(sink.notices.size(), 1u);  // host 1 alone first
    cycles(3, {1, 2, 3, 9}, {9});
    wait(kNoticeGroupSeconds);
    ASSERT_EQ(sink.notices.size(), 2u);
    EXPECT_EQ(sink.notices[1].title.str(), "本地网络中断") << "no per-host notice for 2 and 3";
    cycles(12, {1, 2, 3, 9}, {});  // the loopback host too, within the outage
    wait(kNoticeGroupSeconds);
    EXPECT_EQ(sink.notices.size(), 2u);
}

TEST_F(HealthMonitorTest, OneOtherHostAloneIsNoLocalNetwork) {
    monitor.hostStopped(2, clock.now());
    monitor.hostStopped(3, clock.now());
    cycles(3, {1, 9}, {9});
    wait(kNoticeGroupSeconds);
    EXPECT_EQ(sink.texts(), (Texts{"主机中断：办公网关（198.18.1.1）"}));
    EXPECT_FALSE(monitor.localNetworkDown());
}

TEST_F(HealthMonitorTest, HoldBackResetsStatesAndTellsTheHostsStillDownOnceAtItsEnd) {
    cycles(3, {1, 2, 3, 9}, {2, 3, 9});
    monitor.startHoldBack(clock.now());  // the system resumed before the group was shown
    EXPECT_EQ(sink.episodes.back(), "close 1 down @1034");
    EXPECT_EQ(monitor.reachOf(1), Reach::unknown);
    cycles(20, {1, 2, 3, 9}, {3, 9});
    EXPECT_TRUE(sink.notices.empty());
    EXPECT_EQ(sink.trays.back().down, 2) << "the icon shows what is, hold-back or not";
    cycles(10, {1, 2, 3, 9}, {3, 9});
    wait(kNoticeGroupSeconds);
    EXPECT_EQ(sink.texts(), (Texts{"2 台主机中断：办公网关、远端服务器"}));
}

TEST_F(HealthMonitorTest, AShortenedHoldBackEndsAfterItsOwnLength) {
    monitor.setHoldBackSeconds(3);
    monitor.startHoldBack(clock.now());
    cycles(2, {1, 2, 3, 9}, {2, 3, 9});
    EXPECT_TRUE(monitor.holdingBack());
    cycles(1, {1, 2, 3, 9}, {2, 3, 9});
    EXPECT_FALSE(monitor.holdingBack());
    wait(kNoticeGroupSeconds);
    EXPECT_EQ(sink.texts(), (Texts{"主机中断：办公网关（198.18.1.1）"}));
}

TEST_F(HealthMonitorTest, AMutedHostSaysNothingButCountsAndKeepsItsEpisodes) {
    monitor.setMuted(1, true);
    cycles(3, {1, 2, 3, 9}, {2, 3, 9});
    wait(kNoticeGroupSeconds);
    EXPECT_TRUE(sink.notices.empty());
    EXPECT_EQ(sink.episodes, (Texts{"open 1 down @1032"}));
    EXPECT_EQ(sink.trays.back().level, TrayLevel::down);
    monitor.setMuted(1, false);
    cycles(2, {1, 2, 3, 9}, {1, 2, 3, 9});
    wait(kNoticeGroupSeconds);
    EXPECT_EQ(sink.notices.size(), 1u);
}

TEST_F(HealthMonitorTest, AStoppedHostLeavesTheCountsAtOnceAndItsLateReportsAreIgnored) {
    cycles(3, {1, 2, 3, 9}, {2, 3, 9});
    monitor.hostStopped(1, clock.now());
    EXPECT_EQ(sink.episodes.back(), "close 1 down @1034");
    EXPECT_EQ(sink.trays.back().level, TrayLevel::normal);
    EXPECT_EQ(sink.trays.back().normal, 3);
    cycles(5, {1}, {});  // its task's last messages still arrive
    wait(kNoticeGroupSeconds);
    EXPECT_TRUE(sink.notices.empty()) << "its pending notice went with it";
    EXPECT_EQ(monitor.reachOf(1), Reach::unknown);
}

TEST_F(HealthMonitorTest, HighLatencyOpensAnEpisodeWithItsWorstAndKZeroEndsIt) {
    HealthSettings s;
    s.highAfter = 3;
    monitor.setSettings(s, clock.now());
    cycle({2}, {2}, 3, 250);
    cycle({2}, {2}, 3, 480);
    cycle({2}, {2}, 3, 300);
    wait(kNoticeGroupSeconds);
    EXPECT_EQ(sink.texts(), (Texts{"延迟过高：远端服务器（198.18.1.2），300 ms"}));
    EXPECT_EQ(sink.trays.back().level, TrayLevel::high);
    s.highAfter = 0;
    monitor.setSettings(s, clock.now());
    EXPECT_EQ(sink.episodes, (Texts{"open 2 high @1032", "close 2 high @1036 worst 480"}));
    EXPECT_EQ(sink.trays.back().level, TrayLevel::normal);
    EXPECT_EQ(sink.notices.size(), 1u) << "switching off is no recovery to announce";
}

TEST_F(HealthMonitorTest, PausedOrSwitchedOffNoticesAreNotShownButTheTrayFollows) {
    monitor.pauseUntil(clock.seconds + 3600);
    cycles(3, {1, 2, 3, 9}, {2, 3, 9});
    wait(kNoticeGroupSeconds);
    EXPECT_TRUE(sink.notices.empty());
    EXPECT_EQ(sink.trays.back().level, TrayLevel::down);
    monitor.resumeNotices();
    HealthSettings off;
    off.alerts = false;
    monitor.setSettings(off, clock.now());
    cycles(3, {1, 2, 3, 9}, {3, 9});
    wait(kNoticeGroupSeconds);
    EXPECT_TRUE(sink.notices.empty());
    monitor.setSettings({}, clock.now());
    cycles(2, {1, 2, 3, 9}, {1, 2, 3, 9});
    wait(kNoticeGroupSeconds);
    EXPECT_EQ(sink.notices.size(), 1u);
}

TEST(HealthMonitor, TheTrayIsGreyWithoutHostsAndToldOnlyOfChanges) {
    FakeClock clock;
    RecordingSink sink;
    HealthMonitor monitor(sink);
    monitor.hostStarted(1, {"a", "198.18.1.1"}, clock.now());
    monitor.onCycle(1, true, 1, 10, clock.advance(1));
    monitor.onCycle(1, true, 1, 10, clock.advance(1));
    monitor.hostStopped(1, clock.now());
    ASSERT_EQ(sink.trays.size(), 2u) << "the unknown-to-up step changes no count";
    EXPECT_EQ(sink.trays[0].level, TrayLevel::normal);
    EXPECT_EQ(sink.trays[1].level, TrayLevel::idle);
}

TEST(HealthMonitor, LoopbackAddresses) {
    EXPECT_TRUE(IsLoopbackAddress("127.0.0.1"));
    EXPECT_TRUE(IsLoopbackAddress("127.5.6.7"));
    EXPECT_TRUE(IsLoopbackAddress("localhost"));
    EXPECT_FALSE(IsLoopbackAddress("198.18.1.1"));
    EXPECT_FALSE(IsLoopbackAddress("1127.0.0.1"));
    EXPECT_FALSE(IsLoopbackAddress("127host.example"));
}

}  // namespace
