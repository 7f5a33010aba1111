// Hand-off blocks: layout, taking, refusing blocks that are not live.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "runtime/handoff_block.h"
#include "support/byte_stream.h"

namespace {

#ifdef _WIN32
#define EXPECT_POINTER_INVALID_OUTPUT(statement) statement
#else
// Natively the debugger text goes to standard error (as UTF-8).
#define EXPECT_POINTER_INVALID_OUTPUT(statement)                         \
    do {                                                                 \
        ::testing::internal::CaptureStderr();                            \
        statement;                                                       \
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),              \
                  "\xE6\x8C\x87\xE9\x92\x88\xE6\x97\xA0\xE6\x95\x88\n"); \
    } while (0)
#endif

TEST(HandoffBlock, CarriesAPayloadBehindItsSize) {
    ByteStream out;
    out.writeInt32(7);
    out.writeText("网络可通");
    out.writeBool(true);
    const ByteSet payload = out.getData();
    const int before = liveHandoffBlocks();

    std::uintptr_t block = makeHandoffBlock(payload);
    ASSERT_NE(block, 0u);
    EXPECT_EQ(liveHandoffBlocks(), before + 1);
    std::int32_t size;
    std::memcpy(&size, reinterpret_cast<const void*>(block), 4);
    EXPECT_EQ(size, static_cast<std::int32_t>(payload.size()) + 4);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(block + 4), payload.data(), payload.size()), 0);

    ByteStream in;
    in.setData(takeHandoffBlock(block));
    EXPECT_EQ(in.readInt32(), 7);
    EXPECT_EQ(in.readText(), Text("网络可通"));
    EXPECT_TRUE(in.readBool());
    EXPECT_EQ(liveHandoffBlocks(), before);
}

TEST(HandoffBlock, EmptyPayload) {
    std::uintptr_t block = makeHandoffBlock({});
    ASSERT_NE(block, 0u);
    EXPECT_EQ(*reinterpret_cast<const std::uint8_t*>(block), 4);
    EXPECT_TRUE(takeHandoffBlock(block).empty());
}

TEST(HandoffBlock, TakenTwiceGivesEmptyTheSecondTime) {
    std::uintptr_t block = makeHandoffBlock({1, 2, 3});
    EXPECT_EQ(takeHandoffBlock(block), (ByteSet{1, 2, 3}));
    // The block is freed: reading or freeing it again would be use-after-free
    // (AddressSanitizer) or a double free.
    ByteSet again{9};
    EXPECT_POINTER_INVALID_OUTPUT(again = takeHandoffBlock(block));
    EXPECT_TRUE(again.empty());
}

TEST(HandoffBlock, ForgedPointersAreRefused) {
    // A block with a plausible size field that this process never handed over.
    auto* forged = static_cast<std::uint8_t*>(std::malloc(8));
    const std::uint8_t fake[8] = {8, 0, 0, 0, 1, 2, 3, 4};
    std::memcpy(forged, fake, sizeof fake);
    const std::uintptr_t cases[] = {0, 1, reinterpret_cast<std::uintptr_t>(forged),
                                    reinterpret_cast<std::uintptr_t>(forged) + 4};
    for (std::uintptr_t p : cases) {
        ByteSet got{9};
        EXPECT_POINTER_INVALID_OUTPUT(got = takeHandoffBlock(p));
        EXPECT_TRUE(got.empty()) << p;
    }
    EXPECT_EQ(std::memcmp(forged, fake, sizeof fake), 0);  // not freed, not written
    std::free(forged);
}

TEST(HandoffBlock, OverwrittenSizeFieldIsReportedAndStillFreed) {
    std::uintptr_t block = makeHandoffBlock({1, 2, 3});
    const int before = liveHandoffBlocks();
    std::memset(reinterpret_cast<void*>(block), 0x7F, 4);  // a size that runs far past the block
    ByteSet got{9};
    EXPECT_POINTER_INVALID_OUTPUT(got = takeHandoffBlock(block));
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(liveHandoffBlocks(), before - 1);
}

// Producers on several threads, one receiver, as monitor tasks and the UI
// thread use them; racing takes of the same block: exactly one wins.
TEST(HandoffBlock, ThreadsHandOverAndRaceForBlocks) {
    constexpr int kProducers = 4, kEach = 500;
    std::vector<std::atomic<std::uintptr_t>> slots(kProducers * kEach);
    for (auto& s : slots) s = 0;
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&, p] {
            for (int i = 0; i < kEach; ++i) {
                ByteStream s;
                s.writeInt32(p * kEach + i);
                slots[static_cast<size_t>(p * kEach + i)] = makeHandoffBlock(s.getData());
            }
        });
    for (auto& t : producers) t.join();

    std::atomic<int> taken{0}, wrong{0};
    auto taker = [&] {
        for (size_t i = 0; i < slots.size(); ++i) {
            ByteSet payload = takeHandoffBlock(slots[i]);
            if (payload.empty()) continue;
            ByteStream s;
            s.setData(payload);
            if (s.readInt32() != static_cast<int>(i)) ++wrong;
            ++taken;
        }
    };
    ::testing::internal::CaptureStderr();  // the losers' "指针无效" lines
    std::thread a(taker), b(taker);
    a.join();
    b.join();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(taken.load(), kProducers * kEach);
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
