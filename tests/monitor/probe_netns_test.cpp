// The echo probe against the test hosts of scripts/netns (run inside the
// namespace: 198.18.1.2 answers after 250 ms, .1.3 never, .1.5 is
// unreachable, .1.7's replies are dropped by nftables; names resolve from
// the namespace's own hosts file and nowhere else).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

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

}  // namespace
