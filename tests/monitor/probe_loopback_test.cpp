// The echo probe against loopback, where every 127.x address answers.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "monitor/probe.h"
#include "monitor/status_text.h"
#include "runtime/resolve.h"

namespace {

EchoReplyRecord filledRecord(unsigned char fill) {
    EchoReplyRecord r;
    std::memset(&r, fill, sizeof r);
    return r;
}

TEST(ProbeHost, LoopbackAnswersWithItsAddressAndData) {
    Text target = "127.0.0.1";
    EchoReplyRecord reply{};
    int32_t status = ProbeHost(target, "hello", reply, 1000, true);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(StatusText(status), Text("网络可通"));
    EXPECT_EQ(reply.reply.status, 0u);
    EXPECT_LT(reply.reply.roundTripTime, 100u);  // normally 0: under a millisecond reads 0
    EXPECT_EQ(reply.reply.address, ipv4FromText("127.0.0.1"));
    EXPECT_EQ(target, Text("127.0.0.1"));
    ASSERT_EQ(reply.reply.dataSize, 5);
    EXPECT_EQ(std::memcmp(reply.data, "hello", 5), 0);
}

TEST(ProbeHost, NothingSentLeavesTargetAndRecordAlone) {
    // Only a text that fails without a name lookup ("" would look up this
    // machine's own name on Windows): names are tried inside the test network
    // namespace, never against the machine's DNS server.
    for (const char* bad : {"255.255.255.255"}) {
        Text target = bad;
        EchoReplyRecord reply = filledRecord(0xAB);
        EXPECT_EQ(ProbeHost(target, " ", reply, 1000, true), -1) << bad;
        EXPECT_EQ(target, Text(bad));
        const EchoReplyRecord untouched = filledRecord(0xAB);
        EXPECT_EQ(std::memcmp(&reply, &untouched, sizeof reply), 0) << bad;
    }
    EXPECT_EQ(StatusText(-1), Text());
}

// Many threads probing at once must each get the reply to their own request:
// a probe that took another's reply would report the wrong address.
TEST(ProbeHost, ConcurrentProbesNeverTakeEachOthersReplies) {
    constexpr int kThreads = 24, kRounds = 15;
    std::vector<int> mismatches(kThreads, 0), failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &mismatches, &failures] {
            const Text mine = Text("127.0.") + Text(std::to_string(t / 200).c_str()) + "." +
                              Text(std::to_string(t % 200 + 2).c_str());
            for (int i = 0; i < kRounds; ++i) {
                Text target = mine;
                EchoReplyRecord reply{};
                char data[8];
                std::snprintf(data, sizeof data, "%d", t);
                if (ProbeHost(target, data, reply, 1000, true) != 0) { ++failures[t]; continue; }
                if (reply.reply.address != ipv4FromText(mine) ||
                    std::memcmp(reply.data, data, std::strlen(data)) != 0)
                    ++mismatches[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0) << "thread " << t;
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    }
}

}  // namespace

namespace {

// A task's probes share one session: each still sends its own request and
// reads its own reply (data, address), and a new target is looked up anew
// rather than taken for the address the session remembers.
TEST(ProbeSession, EachProbeOfASessionGetsItsOwnReply) {
    ProbeSession session;
    const struct {
        const char* target;
        const char* data;
    } probes[] = {{"127.0.0.1", "a"}, {"127.0.0.1", "second"}, {"127.0.0.2", "third!"}, {"127.0.0.1", " "}};
    for (const auto& p : probes) {
        Text target = p.target;
        EchoReplyRecord reply{};
        EXPECT_EQ(ProbeHost(target, p.data, reply, 1000, true, session), 0) << p.data;
        EXPECT_EQ(target, Text(p.target));
        EXPECT_EQ(reply.reply.address, ipv4FromText(p.target)) << p.data;
        ASSERT_EQ(reply.reply.dataSize, std::strlen(p.data)) << p.data;
        EXPECT_EQ(std::memcmp(reply.data, p.data, std::strlen(p.data)), 0) << p.data;
    }
    EXPECT_TRUE(session.handle().valid());
    EXPECT_EQ(session.resolve("127.0.0.9"), Text("127.0.0.9"));
    EXPECT_EQ(session.resolve("255.255.255.255"), Text("255.255.255.255"));
}

}  // namespace
