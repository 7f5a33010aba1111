// The echo probe against the test hosts of scripts/netns (run inside the
// namespace: 198.18.1.2 answers after 250 ms, .1.3 never, .1.5 is
// unreachable, .1.7's replies are dropped by nftables; names resolve from
// the namespace's own hosts file and nowhere else).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "monitor/probe.h"
#include "monitor/status_text.h"
#include "runtime/resolve.h"

namespace {

using Clock = std::chrono::steady_clock;

long long elapsedMs(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

TEST(ProbeNetns, DelayedHostReportsItsRoundTrip) {
    Text target = "198.18.1.2";
    EchoReplyRecord reply{};
    EXPECT_EQ(ProbeHost(target, " ", reply, 1000, true), 0);
    EXPECT_GE(reply.reply.roundTripTime, 250u);
    EXPECT_LT(reply.reply.roundTripTime, 900u);
    EXPECT_EQ(reply.reply.address, ipv4FromText("198.18.1.2"));
}

TEST(ProbeNetns, SilentHostsTimeOut) {
    for (const char* silent : {"198.18.1.3", "198.18.1.7"}) {  // no answer; answer dropped
        Text target = silent;
        EchoReplyRecord reply{};
        reply.reply.roundTripTime = 77;  // a zero time is part of the timeout's report
        EXPECT_EQ(ProbeHost(target, " ", reply, 300, true), 11010) << silent;
        EXPECT_EQ(reply.reply.status, 11010u);
        EXPECT_EQ(reply.reply.roundTripTime, 0u);
        EXPECT_EQ(StatusText(11010), Text("请求超时"));
    }
}

// Without a usable timeout the echo waits 500 ms.
TEST(ProbeNetns, DefaultTimeoutIs500Ms) {
    const struct { int timeout; bool given; } cases[] = {{0, true}, {-5, true}, {3000, false}};
    for (const auto& c : cases) {
        Text target = "198.18.1.3";
        EchoReplyRecord reply{};
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(ProbeHost(target, " ", reply, c.timeout, c.given), 11010);
        const long long waited = elapsedMs(start);
        EXPECT_GE(waited, 450) << c.timeout << " " << c.given;
        EXPECT_LT(waited, 1500) << c.timeout << " " << c.given;
    }
}

TEST(ProbeNetns, UnreachableHostGivesTheUnreachableCode) {
    Text target = "198.18.1.5";
    EchoReplyRecord reply{};
    EXPECT_EQ(ProbeHost(target, " ", reply, 1000, true), 11003);
    EXPECT_EQ(StatusText(11003), Text("目标主机不可到达"));
    EXPECT_EQ(reply.reply.address, ipv4FromText("198.18.1.254"));  // the router that said so
}

TEST(ProbeNetns, NameIsReplacedByItsAddress) {
    Text target = "slow.qerno.test";
    EchoReplyRecord reply{};
    EXPECT_EQ(ProbeHost(target, " ", reply, 1000, true), 0);
    EXPECT_EQ(target, Text("198.18.1.2"));
    EXPECT_EQ(resolveHost("fast.qerno.test"), Text("198.18.1.1"));
    EXPECT_EQ(resolveHost("198.18.1.3"), Text("198.18.1.3"));
}

TEST(ProbeNetns, UnresolvableNameSendsNothing) {
    Text target = "no-such-host.invalid";
    EchoReplyRecord reply;
    std::memset(&reply, 0x5A, sizeof reply);
    EXPECT_EQ(ProbeHost(target, " ", reply, 1000, true), -1);
    EXPECT_EQ(target, Text("no-such-host.invalid"));
    EchoReplyRecord untouched;
    std::memset(&untouched, 0x5A, sizeof untouched);
    EXPECT_EQ(std::memcmp(&reply, &untouched, sizeof reply), 0);
    EXPECT_EQ(resolveHost("no-such-host.invalid"), Text());
}

// Many silent hosts at once, as in an outage of a large list: every probe
// must read as a failure. Wine refuses echoes once a few hundred are in
// flight and writes nothing for those; a record still holding the last
// cycle's success (status 0 here) would show a silent host as answering.
TEST(ProbeNetns, SilentHostsAtOnceNeverReadAsAnswering) {
    constexpr int kProbes = 800;  // Wine refused about a quarter of 600 cycling hosts
    std::vector<EchoReplyRecord> replies(kProbes);  // status 0: as after an answered cycle
    std::vector<int32_t> results(kProbes, 0);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kProbes; ++i) {
        threads.emplace_back([i, &replies, &results, &ready] {
            // 198.18.2.1 onwards: never answered in the namespace.
            Text target = Text("198.18.") + Text(std::to_string(2 + i / 250).c_str()) + "." +
                          Text(std::to_string(1 + i % 250).c_str());
            ++ready;
            while (ready.load() < kProbes) std::this_thread::yield();
            results[i] = ProbeHost(target, " ", replies[i], 1000, true);
        });
    }
    for (std::thread& t : threads) t.join();
    std::map<int32_t, int> seen;
    for (int i = 0; i < kProbes; ++i) {
        ++seen[results[i]];
        EXPECT_EQ(static_cast<int32_t>(replies[i].reply.status), results[i]);
        EXPECT_EQ(replies[i].reply.roundTripTime, 0u);
    }
    std::string counts;
    for (const auto& [status, n] : seen) counts += std::to_string(status) + ": " + std::to_string(n) + "  ";
    EXPECT_EQ(seen.count(0), 0u) << counts;
    for (const auto& [status, n] : seen) {
        EXPECT_TRUE(status == 11010 || status == 11006) << counts;
        EXPECT_NE(StatusText(status), Text()) << status;
    }
}

}  // namespace
