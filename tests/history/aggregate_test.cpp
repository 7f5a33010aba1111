// Buckets, percentiles, figures, roll-ups and the saved state of one period.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "history/latency_buckets.h"
#include "history/period_aggregate.h"
#include "history/utc_text.h"

namespace {

constexpr int kLost = -1;  // a cycle in the tables below that was not answered

PeriodAggregate aggregateOf(const std::vector<int>& cycles) {
    PeriodAggregate a;
    for (int ms : cycles) ms == kLost ? a.addLost() : a.addAnswered(ms);
    return a;
}

std::vector<int> repeated(int ms, int times) { return std::vector<int>(static_cast<std::size_t>(times), ms); }

std::vector<int> joined(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(LatencyBuckets, EdgesAroundAValue) {
    const int kOpen = -1;
    struct Case { int ms, lower, upper; const char* why; } cases[] = {
        {-3, 0, 1, "a negative time counts as 0 ms"},
        {0, 0, 1, "1 ms buckets"},
        {9, 9, 10, "last 1 ms bucket below the fine top"},
        {10, 10, 11, "5% of 10 rounds to 1 ms"},
        {29, 29, 30, "still 1 ms: 5% of 29 is 1.45"},
        {31, 30, 32, "5% of 30 rounds to 2 ms"},
        {250, 244, 256, "a 250 ms host"},
        {999, 954, 1002, "last closed bucket"},
        {1002, 1002, kOpen, "the open bucket past the timeout"},
        {60000, 1002, kOpen, "anything later"},
    };
    for (const Case& c : cases) {
        const std::size_t b = latencyBucketOf(c.ms);
        EXPECT_EQ(kLatencyBucketEdges[b], c.lower) << c.why;
        EXPECT_EQ(b + 1 < kLatencyBucketCount ? kLatencyBucketEdges[b + 1] : kOpen, c.upper) << c.why;
    }
    EXPECT_EQ(kLatencyBucketCount, 102u);
    for (std::size_t i = kFineBucketTopMs + 1; i + 1 < kLatencyBucketCount; ++i) {
        const int width = kLatencyBucketEdges[i + 1] - kLatencyBucketEdges[i];
        EXPECT_LE(width * 100, std::max(100, kLatencyBucketEdges[i] * (kBucketGrowthPercent + 2)))
            << "1 ms or about 5% wide at " << i;
    }
}

TEST(PeriodAggregate, PercentilesFromHandWorkedBuckets) {
    struct Case { std::vector<int> cycles; int p50, p90; const char* why; } cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 5, 9, "1 ms buckets read exactly: ranks 5 and 9"},
        {repeated(250, 100), 250, 250, "bucket 244-255 reads 249, held to the extremes seen"},
        {joined(repeated(40, 20), joined(repeated(300, 10), {500})), 40, 303,
         "rank 28 of 31 in bucket 296-310: its middle"},
        {joined(repeated(12, 9), {kLost, kLost, 700}), 12, 12, "lost cycles hold no rank; rank 9 of 10"},
        {{1200, 1300}, 1300, 1300, "the open bucket reads the highest"},
        {{33, 34, 35}, 34, 34, "34 and 35 share bucket 34-35, which reads 34"},
    };
    for (const Case& c : cases) {
        const PeriodFigures f = aggregateOf(c.cycles).figures();
        EXPECT_EQ(f.p50, c.p50) << c.why;
        EXPECT_EQ(f.p90, c.p90) << c.why;
    }
}

TEST(PeriodAggregate, FiguresOfAPeriod) {
    using O = std::optional<int>;
    const O none;
    struct Case { std::vector<int> cycles; PeriodFigures expected; const char* why; } cases[] = {
        {{10, kLost, 20, 15}, {4, 1, 10, 15, 20, 15, 20, 8}, "jitter (10 + 5) / 2 rounds up; a loss keeps the pair"},
        {repeated(kLost, 60), {60, 60, none, none, none, none, none, none}, "every cycle lost: counts only"},
        {{kLost, 42, kLost}, {3, 2, 42, 42, 42, 42, 42, none}, "one answer: no jitter"},
        {{0, 1, 1}, {3, 0, 0, 1, 1, 1, 1, 1}, "average 2/3 rounds to 1"},
        {{}, {0, 0, none, none, none, none, none, none}, "nothing at all"},
    };
    for (const Case& c : cases) EXPECT_EQ(aggregateOf(c.cycles).figures(), c.expected) << c.why;
}

TEST(PeriodAggregate, RollUpEqualsOnePeriodOfTheSameCycles) {
    std::vector<int> cycles;
    unsigned seed = 7;
    for (int i = 0; i < 600; ++i) {
        seed = seed * 1103515245u + 12345u;
        const unsigned r = (seed >> 16) % 1000;
        cycles.push_back(r < 30 ? kLost : static_cast<int>(5 + r % 400));
    }
    PeriodAggregate rolled;
    for (std::size_t minute = 0; minute < 10; ++minute) {
        const std::vector<int> part(cycles.begin() + static_cast<long>(minute * 60),
                                    cycles.begin() + static_cast<long>(minute * 60 + 60));
        rolled.append(aggregateOf(part));
    }
    const PeriodAggregate whole = aggregateOf(cycles);
    EXPECT_EQ(rolled.figures(), whole.figures());
    EXPECT_EQ(rolled.percentile(99), whole.percentile(99));
    EXPECT_EQ(rolled.histogram().encode(), whole.histogram().encode());
    // An empty period in between changes nothing, and joins no jitter pair.
    PeriodAggregate withGap = aggregateOf({10, 20});
    withGap.append(aggregateOf({kLost}));
    withGap.append(aggregateOf({40}));
    EXPECT_EQ(withGap.figures(), aggregateOf({10, 20, kLost, 40}).figures());
}

TEST(PeriodAggregate, SavedStateRestoresAndGarbageIsRefused) {
    const PeriodAggregate a = aggregateOf({10, kLost, 250, 30, 1200});
    PeriodAggregate b;
    ASSERT_TRUE(b.restore(a.save()));
    b.addAnswered(40);
    PeriodAggregate c = aggregateOf({10, kLost, 250, 30, 1200, 40});
    EXPECT_EQ(b.figures(), c.figures());

    const std::string good = a.save();
    for (const std::string& bad : {std::string(), std::string("x"), good.substr(0, good.size() - 1),
                                   std::string(1, '\x09') + good.substr(1)}) {
        PeriodAggregate d = aggregateOf({5});
        EXPECT_FALSE(d.restore(bad));
        EXPECT_EQ(d.figures(), aggregateOf({5}).figures()) << "unchanged after a refused state";
    }
}

TEST(UtcText, BothWays) {
    struct Case { UtcSeconds t; const char* text; } cases[] = {
        {0, "1970-01-01 00:00:00"},
        {951782400, "2000-02-29 00:00:00"},
        {1700000000, "2023-11-14 22:13:20"},
        {-1, "1969-12-31 23:59:59"},
        {4102444799, "2099-12-31 23:59:59"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utcText(c.t), c.text);
        EXPECT_EQ(utcFromText(c.text), c.t) << c.text;
    }
    for (const char* bad : {"", "2023-02-29 00:00:00", "2023-1-01 00:00:00", "2023-01-01 24:00:00",
                            "2023-01-01 00:00:00x", "+023-01-01 00:00:00", " 023-01-01 00:00:00",
                            "2023-01-01 0a:00:00", "2023/01/01 00:00:00"})
        EXPECT_FALSE(utcFromText(bad).has_value()) << bad;
}

}  // namespace
