// The reports' mailbox: one wake-up for every report that waits, the
// reports in posting order, and no block kept or lost when the receiver is
// missing, changes or stops taking them; many posting threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <thread>
#include <vector>

#include "monitor/report_mailbox.h"
#include "monitor/task_messages.h"
#include "runtime/handoff_block.h"
#include "runtime/ui_post.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The raw messages posted to a receiver of the test thread.
struct Posted {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

class RawReceiver {
public:
    // The lParams of the report messages waiting, each a wake-up (wParam 0).
    std::vector<std::intptr_t> lParams() {
        std::vector<std::intptr_t> got;
        Posted m{};
        while (takeOne(m)) {
            EXPECT_EQ(m.message, kStatusReportMessage);
            EXPECT_EQ(m.wParam, 0u);
            got.push_back(m.lParam);
        }
        return got;
    }

#ifdef _WIN32
    RawReceiver() : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~RawReceiver() { DestroyWindow(window_); }
    UiReceiver receiver() const { return reinterpret_cast<UiReceiver>(window_); }

private:
    bool takeOne(Posted& m) {
        MSG msg;
        if (!PeekMessageW(&msg, window_, kStatusReportMessage, kStatusReportMessage, PM_REMOVE)) return false;
        m = {msg.message, msg.wParam, msg.lParam};
        return true;
    }
    HWND window_;
#else
    UiReceiver receiver() { return queue_.receiver(); }

private:
    bool takeOne(Posted& m) {
        UiMessage taken;
        if (!queue_.take(taken, 0)) return false;
        m = {taken.message, taken.wParam, taken.lParam};
        return true;
    }
    UiQueue queue_;
#endif
};

// A report whose host id tells which one it is.
std::uintptr_t block(std::int32_t value) {
    TaskStatusMessage m;
    m.hostId = value;
    return makeHandoffBlock(encodeTaskStatus(m));
}

std::vector<std::int32_t> values(const std::vector<std::uintptr_t>& blocks) {
    std::vector<std::int32_t> out;
    for (std::uintptr_t b : blocks) out.push_back(decodeTaskStatus(takeHandoffBlock(b)).hostId);
    return out;
}

TEST(ReportMailbox, ReportsThatFindAWakeUpOnItsWayOnlyJoinTheQueue) {
    const int live = liveHandoffBlocks();
    RawReceiver window;
    ReportMailbox mailbox;
    mailbox.setReceiver(window.receiver());
    for (int i = 1; i <= 5; ++i) EXPECT_TRUE(mailbox.post(block(i)));
    EXPECT_EQ(window.lParams(), std::vector<std::intptr_t>{kReportsWaiting});
    EXPECT_EQ(values(reportsOf(0, kReportsWaiting, mailbox)), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
    // Taken: the next report brings a wake-up of its own.
    EXPECT_TRUE(mailbox.post(block(6)));
    EXPECT_EQ(window.lParams(), std::vector<std::intptr_t>{kReportsWaiting});
    EXPECT_EQ(values(mailbox.take()), std::vector<std::int32_t>{6});
    // Taken in part: the rest come with a wake-up of their own.
    for (int i = 8; i <= 10; ++i) EXPECT_TRUE(mailbox.post(block(i)));
    EXPECT_EQ(values(mailbox.take(2)), (std::vector<std::int32_t>{8, 9}));
    EXPECT_EQ(window.lParams(), (std::vector<std::intptr_t>{kReportsWaiting, kReportsWaiting}));
    EXPECT_EQ(values(mailbox.take(2)), std::vector<std::int32_t>{10});
    EXPECT_TRUE(window.lParams().empty());
    // A message that carries its own report brings just that one.
    EXPECT_EQ(values(reportsOf(block(7), 0, mailbox)), std::vector<std::int32_t>{7});
    EXPECT_EQ(liveHandoffBlocks(), live);
}

TEST(ReportMailbox, ReportsThatCannotArriveAreFreed) {
    const int live = liveHandoffBlocks();
    {
        ReportMailbox mailbox;  // no receiver yet
        EXPECT_FALSE(mailbox.post(block(1)));
        EXPECT_EQ(liveHandoffBlocks(), live);

        // A new receiver: what waited for the old one is dropped, and the
        // old one's wake-up, never taken, does not hold back the new one's.
        RawReceiver first, second;
        mailbox.setReceiver(first.receiver());
        EXPECT_TRUE(mailbox.post(block(2)));
        mailbox.setReceiver(second.receiver());
        EXPECT_EQ(liveHandoffBlocks(), live);
        EXPECT_TRUE(mailbox.post(block(3)));
        EXPECT_EQ(second.lParams(), std::vector<std::intptr_t>{kReportsWaiting});
        EXPECT_EQ(values(mailbox.take()), std::vector<std::int32_t>{3});

        // A receiver that stopped taking: past the limit reports are refused.
        for (std::size_t i = 0; i < ReportMailbox::kMostWaiting; ++i) ASSERT_TRUE(mailbox.post(block(4)));
        EXPECT_FALSE(mailbox.post(block(5)));
        EXPECT_EQ(liveHandoffBlocks(), live + static_cast<int>(ReportMailbox::kMostWaiting));
        // The mailbox frees what is never taken.
    }
    EXPECT_EQ(liveHandoffBlocks(), live);
}

#ifdef _WIN32
TEST(ReportMailbox, AWakeUpToAWindowThatIsGoneFreesTheWaitingReports) {
    const int live = liveHandoffBlocks();
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    ReportMailbox mailbox;
    mailbox.setReceiver(reinterpret_cast<UiReceiver>(gone));
    EXPECT_FALSE(mailbox.post(block(1)));
    EXPECT_FALSE(mailbox.post(block(2)));  // no wake-up is thought on its way
    EXPECT_EQ(liveHandoffBlocks(), live);
}
#endif

// Tasks post while the window thread takes: every report arrives once,
// each task's in the order it posted them.
TEST(ReportMailbox, ManyPostersOneTaker) {
    constexpr int kPosters = 8;
    static_assert(kPosters * 1000 <= ReportMailbox::kMostWaiting);
    constexpr int kEach = 1000;  // all of them fit in the mailbox at once
    const int live = liveHandoffBlocks();
    RawReceiver window;
    ReportMailbox mailbox;
    mailbox.setReceiver(window.receiver());
    std::vector<std::thread> posters;
    for (int p = 0; p < kPosters; ++p)
        posters.emplace_back([&mailbox, p] {
            for (int i = 0; i < kEach; ++i) EXPECT_TRUE(mailbox.post(block(p * kEach + i)));
        });
    std::map<int, int> nextOf;  // poster -> the value it sends next
    int received = 0, wakeUps = 0;
    while (received < kPosters * kEach) {
        const int messages = static_cast<int>(window.lParams().size());
        wakeUps += messages;
        for (std::int32_t v : values(mailbox.take())) {
            const int poster = v / kEach;
            EXPECT_EQ(v, poster * kEach + nextOf[poster]) << "poster " << poster;
            nextOf[poster] = v % kEach + 1;
            ++received;
        }
        if (messages == 0) std::this_thread::yield();
    }
    for (std::thread& t : posters) t.join();
    wakeUps += static_cast<int>(window.lParams().size());
    EXPECT_EQ(received, kPosters * kEach);
    EXPECT_GE(wakeUps, 1);
    EXPECT_LE(wakeUps, received);
    EXPECT_EQ(liveHandoffBlocks(), live);
}

}  // namespace
