// The graph's data worked out away from the window: pixel columns from
// cycles and from stored periods, the empty part before the first row, the
// latency scale (linear or logarithmic) and its ticks, and the CSV export.
#include <gtest/gtest.h>

#include "history/graph_data.h"

namespace {

constexpr UtcSeconds kFrom = 1700002800;  // any whole hour
constexpr int kTenMinutes = 600;

GraphSample cycle(UtcSeconds at, int ms) { return sampleOf({at, ms >= 0, ms < 0 ? 0 : ms}); }

GraphSample period(UtcSeconds start, int seconds, std::int64_t sent, std::int64_t lost, int min, int p50, int max) {
    GraphSample s{start, seconds, {}};
    s.figures.sent = sent;
    s.figures.lost = lost;
    if (sent > lost) s.figures.min = min, s.figures.p50 = s.figures.avg = s.figures.p90 = p50, s.figures.max = max;
    return s;
}

std::string show(const GraphColumn& c) {
    if (!c.known) return "none";
    return std::to_string(c.sent) + "/" + std::to_string(c.lost) + " " + std::to_string(c.min) + ".." +
           std::to_string(c.max) + " ~" + std::to_string(c.median);
}

TEST(GraphColumns, CyclesFallIntoTheColumnOfTheirTime) {
    // Ten columns of a minute each.
    const std::vector<GraphSample> samples = {
        cycle(kFrom - 1, 5),   // before the range: left out
        cycle(kFrom + 120, 10), cycle(kFrom + 150, -1),
        cycle(kFrom + 181, 20), cycle(kFrom + 182, 40), cycle(kFrom + 183, 30),
        cycle(kFrom + 239, -1),
        cycle(kFrom + kTenMinutes, 7),  // at the end: left out
    };
    const auto columns = buildColumns(samples, kFrom, kFrom + kTenMinutes, 10);
    ASSERT_EQ(columns.size(), 10u);
    const char* expected[] = {
        "none", "none",              // before the first row: no data
        "2/1 10..10 ~10",            // one answered, one lost
        "4/1 20..40 ~30",            // the median of 20, 40, 30
        "0/0 -1..-1 ~-1", "0/0 -1..-1 ~-1", "0/0 -1..-1 ~-1",  // known, but the program was not running
        "0/0 -1..-1 ~-1", "0/0 -1..-1 ~-1", "0/0 -1..-1 ~-1",
    };
    for (std::size_t i = 0; i < columns.size(); ++i) EXPECT_EQ(show(columns[i]), expected[i]) << "column " << i;
}

TEST(GraphColumns, PeriodsInOneColumnWeighTheirMediansByAnsweredCycles) {
    // Two hour rows in one column of a day drawn 12 columns wide.
    const std::vector<GraphSample> samples = {
        period(kFrom, kHourPeriod, 3600, 3599, 10, 10, 10),  // one answer at 10 ms
        period(kFrom + kHourPeriod, kHourPeriod, 3600, 0, 90, 100, 400),
        period(kFrom + 2 * kHourPeriod, kHourPeriod, 3600, 3600, 0, 0, 0),  // all lost
    };
    const auto columns = buildColumns(samples, kFrom, kFrom + 86400, 12);
    EXPECT_EQ(show(columns[0]), "7200/3599 10..400 ~100");
    EXPECT_EQ(show(columns[1]), "3600/3600 -1..-1 ~-1");
    EXPECT_EQ(show(columns[11]), "0/0 -1..-1 ~-1");
    EXPECT_TRUE(buildColumns(samples, kFrom, kFrom, 12)[0].sent == 0) << "an empty range draws nothing";
    EXPECT_TRUE(buildColumns(samples, kFrom, kFrom + 60, 0).empty());
}

TEST(GraphColumns, NoDataOnlyBeforeTheFirstRowAlsoWithMorePixelsThanSeconds) {
    for (const GraphColumn& c : buildColumns({}, kFrom, kFrom + kTenMinutes, 4)) EXPECT_FALSE(c.known);
    // 10 seconds over 25 columns: most columns hold no second.
    const auto wide = buildColumns({cycle(kFrom, 10), cycle(kFrom + 9, 12)}, kFrom, kFrom + 10, 25);
    for (std::size_t i = 0; i < wide.size(); ++i) EXPECT_TRUE(wide[i].known) << "column " << i;
    EXPECT_EQ(show(wide[0]), "1/0 10..10 ~10");
    EXPECT_EQ(show(wide[22]), "1/0 12..12 ~12");
    const auto late = buildColumns({cycle(kFrom + 5, 10)}, kFrom, kFrom + 10, 25);
    EXPECT_FALSE(late[11].known);
    EXPECT_TRUE(late[12].known);
}

struct ScaleCase {
    int min, max;
    bool logarithmic;
    int low, high;
    std::vector<int> ticks;
    const char* why;
};

TEST(GraphScale, LinearUnlessTheSpreadIsWide) {
    const ScaleCase cases[] = {
        {250, 250, false, 0, 250, {0, 50, 100, 150, 200, 250}, "a steady 250 ms host"},
        {3, 12, false, 0, 15, {0, 5, 10, 15}, "small latencies: at least 10 ms tall"},
        {1, 19, false, 0, 20, {0, 5, 10, 15, 20}, "19 is under 20 times 1"},
        {1, 20, true, 1, 100, {1, 10, 100}, "20 times the lowest: logarithmic"},
        {8, 240, true, 1, 1000, {1, 10, 100, 1000}, "a good line with spikes"},
        {0, 600, true, 1, 1000, {1, 10, 100, 1000}, "0 ms reads as 1 on a logarithmic axis"},
        {-1, -1, false, 0, 10, {0, 2, 4, 6, 8, 10}, "nothing answered"},
    };
    for (const ScaleCase& c : cases) {
        std::vector<GraphColumn> columns(3);
        columns[1].min = c.min;
        columns[1].max = c.max;
        const GraphScale scale = chooseScale(columns);
        EXPECT_EQ(scale.logarithmic, c.logarithmic) << c.why;
        EXPECT_EQ(scale.low, c.low) << c.why;
        EXPECT_EQ(scale.high, c.high) << c.why;
        EXPECT_EQ(scale.ticks(), c.ticks) << c.why;
    }
}

TEST(GraphScale, PositionsAreClampedAndLogarithmicWhereAsked) {
    GraphScale linear{0, 200, false};
    EXPECT_DOUBLE_EQ(linear.position(50), 0.25);
    EXPECT_DOUBLE_EQ(linear.position(400), 1.0);
    EXPECT_DOUBLE_EQ(linear.position(-5), 0.0);
    GraphScale log{1, 1000, true};
    EXPECT_NEAR(log.position(10), 1.0 / 3, 1e-9);
    EXPECT_NEAR(log.position(100), 2.0 / 3, 1e-9);
    EXPECT_DOUBLE_EQ(log.position(0), 0.0);
}

TEST(GraphCsv, HeaderWithByteOrderMarkAndPlainIntegers) {
    GraphSample minute = period(kFrom, kMinutePeriod, 60, 3, 8, 11, 240);
    minute.figures.avg = 12;
    minute.figures.p90 = 20;
    minute.figures.jitter = 2;
    const std::vector<GraphSample> samples = {minute, period(kFrom + 60, kMinutePeriod, 60, 60, 0, 0, 0)};
    const std::string csv = graphCsv(samples, [](UtcSeconds t) { return "T" + std::to_string(t - kFrom); });
    EXPECT_EQ(csv, "\xEF\xBB\xBF"
                   "\xE6\x97\xB6\xE9\x97\xB4,\xE5\x8F\x91\xE9\x80\x81,\xE4\xB8\xA2\xE5\xA4\xB1,"  // 时间,发送,丢失
                   "\xE6\x9C\x80\xE5\xB0\x8F,\xE5\xB9\xB3\xE5\x9D\x87,\xE6\x9C\x80\xE5\xA4\xA7,"  // 最小,平均,最大
                   "\xE4\xB8\xAD\xE4\xBD\x8D\xE6\x95\xB0,P90,\xE6\x8A\x96\xE5\x8A\xA8\r\n"        // 中位数,P90,抖动
                   "T0,60,3,8,12,240,11,20,2\r\n"
                   "T60,60,60,,,,,,\r\n");
}

}  // namespace
