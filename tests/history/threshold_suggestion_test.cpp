// Suggested thresholds: the rounding and ordering rules on hand-worked
// percentiles, and the figures read from stored 10-minute rows.
#include <gtest/gtest.h>

#include "history/threshold_suggestion.h"

namespace {

struct Case {
    int p50, p90, p99;
    std::array<int, kHostClasses> expected;
    const char* why;
};

TEST(ThresholdSuggestion, RoundedToFiveAndKeptIncreasing) {
    const Case cases[] = {
        {250, 250, 250, {250, 375, 500, 1000}, "a steady 250 ms host"},
        {11, 14, 40, {10, 20, 80, 1000}, "11 rounds to 10, 21 to 20"},
        {12, 13, 13, {10, 20, 25, 1000}, "each at least 5 above the one before"},
        {0, 0, 0, {5, 10, 15, 1000}, "a 0 ms host: the lowest steps"},
        {30, 60, 700, {30, 90, 995, 1000}, "网络异常 at most 995"},
        {900, 990, 999, {900, 990, 995, 1000}, "a slow host: 网络正常 pushed down under 网络异常"},
        {990, 995, 999, {985, 990, 995, 1000}, "slower: every class squeezed under 995"},
        {3, 4, 4, {5, 10, 15, 1000}, "3 rounds to 5"},
    };
    for (const Case& c : cases) EXPECT_EQ(thresholdsFrom(c.p50, c.p90, c.p99), c.expected) << c.why;
}

GraphSample row(UtcSeconds start, std::int64_t sent, std::int64_t lost, int p50, int p90, int max) {
    GraphSample s{start, kSuggestionPeriod, {}};
    s.figures.sent = sent;
    s.figures.lost = lost;
    if (sent > lost) s.figures.min = p50, s.figures.avg = p50, s.figures.p50 = p50, s.figures.p90 = p90, s.figures.max = max;
    return s;
}

TEST(ThresholdSuggestion, AnHourOfRowsWithAnswersIsNeeded) {
    std::vector<GraphSample> rows;
    for (int i = 0; i < 5; ++i) rows.push_back(row(i * kSuggestionPeriod, 600, 0, 250, 250, 250));
    rows.push_back(row(5 * kSuggestionPeriod, 600, 600, 0, 0, 0));  // all lost: no latency to go by
    EXPECT_FALSE(suggestThresholds(rows)) << "50 minutes answered";
    rows.push_back(row(6 * kSuggestionPeriod, 600, 300, 250, 250, 250));
    const auto s = suggestThresholds(rows);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->coveredSeconds, 3600);
    EXPECT_EQ(s->time, (std::array<int, kHostClasses>{250, 375, 500, 1000}));
}

TEST(ThresholdSuggestion, PercentilesWeighRowsByAnsweredCycles) {
    std::vector<GraphSample> rows;
    // 95 rows of a quiet line and 5 busy rows with spikes.
    for (int i = 0; i < 95; ++i) rows.push_back(row(i * kSuggestionPeriod, 600, 0, 20, 30, 45));
    for (int i = 95; i < 100; ++i) rows.push_back(row(i * kSuggestionPeriod, 600, 0, 80, 150, 400));
    const auto s = suggestThresholds(rows);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->p50, 20);
    EXPECT_EQ(s->p90, 30);
    EXPECT_EQ(s->p99, 400) << "the busy rows' maxima make the top percent";
    EXPECT_EQ(s->time, (std::array<int, kHostClasses>{20, 45, 800, 1000}));
}

}  // namespace
