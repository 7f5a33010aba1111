// The report's figures from a real database file: history and outage rows
// written as the program writes them (history by UTC, outages by local
// time, here 8 hours ahead), read back on the reader's own connection.
#include <gtest/gtest.h>

#include <string>

#include "report/report_csv.h"
#include "report/report_job.h"
#include "report/report_reader.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

constexpr std::int64_t kZone = 8 * 3600;  // the local clock is UTC+8
constexpr LocalSeconds kDay = 86400;

LocalSeconds at(const char* localText) { return *utcFromText(localText); }

struct ReportFile : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(openWithSchema(db, file)); }

    void history(int host, int period, const char* utcStart, int sent, int lost, int avg, int max) {
        ASSERT_TRUE(db.execute(Text("INSERT INTO history (list_id, period, start, sent, lost, avg, max) VALUES (" +
                                    std::to_string(host) + ", " + std::to_string(period) + ", '" + utcStart +
                                    "', " + std::to_string(sent) + ", " + std::to_string(lost) + ", " +
                                    std::to_string(avg) + ", " + std::to_string(max) + ")")));
    }
    // Ten answered minute rows from a UTC minute on, as a running host leaves them.
    void minutes(int host, const char* utcStart, int count) {
        for (int i = 0; i < count; ++i) {
            const std::string start = utcText(*utcFromText(utcStart) + 60 * i);
            history(host, 60, start.c_str(), 60, 0, 10, 15);
        }
    }
    void outage(int host, int kind, const char* start, const char* end, int worst = 0,
                const char* name = "网关") {
        ASSERT_TRUE(db.execute(Text(std::string("INSERT INTO outage (list_id, name, ip, kind, start, end, worst) "
                                                "VALUES (") +
                                    std::to_string(host) + ", '" + name + "', '198.18.1.1', " +
                                    std::to_string(kind) + ", '" + start + "', '" + end + "', " +
                                    std::to_string(worst) + ")")));
    }

    ReportFigures report(LocalSeconds from, LocalSeconds to, LocalSeconds now, std::vector<int> hosts = {1}) {
        ReportRequest r;
        r.from = from;
        r.to = to;
        r.now = now;
        for (int id : hosts) r.hosts.push_back({id, u8"主机" + std::to_string(id), "198.18.1.1"});
        ReportInput input;
        EXPECT_TRUE(readReportInput(file.path(), r, fixedOffsetClock(kZone), input));
        return computeReport(r, input);
    }
    // The day 2024-03-10 local, made long after it.
    ReportFigures oneDay(std::vector<int> hosts = {1}) {
        return report(at("2024-03-10 00:00:00"), at("2024-03-11 00:00:00"), at("2024-03-12 09:00:00"), hosts);
    }

    TempDbFile file;
    SqliteDB db;
};

TEST_F(ReportFile, HistoryGivesAvailabilityLossAverageWorstAndCoverage) {
    // 10:00-10:09 local; one minute lost 6 cycles, one answered slowly.
    minutes(1, "2024-03-10 02:00:00", 10);
    ASSERT_TRUE(db.execute("UPDATE history SET lost = 6 WHERE start = '2024-03-10 02:03:00'"));
    ASSERT_TRUE(db.execute("UPDATE history SET avg = 40, max = 90 WHERE start = '2024-03-10 02:05:00'"));
    // The same cycles again in the coarser rows: counted once only.
    history(1, 600, "2024-03-10 02:00:00", 600, 6, 13, 90);
    history(1, 3600, "2024-03-10 02:00:00", 600, 6, 13, 90);

    const HostFigures h = oneDay().hosts.at(0);
    EXPECT_EQ(h.sent, 600);
    EXPECT_EQ(h.lost, 6);
    ASSERT_TRUE(h.availability && h.loss && h.coverage);
    EXPECT_DOUBLE_EQ(*h.availability, 594.0 / 600);
    EXPECT_DOUBLE_EQ(*h.loss, 0.01);
    EXPECT_EQ(h.averageMs, (54 * 10 + 8 * 60 * 10 + 60 * 40 + 297) / 594);  // weighed by answered cycles
    EXPECT_EQ(h.worstMs, 90);
    EXPECT_DOUBLE_EQ(*h.coverage, 600.0 / kDay);  // ten watched minutes of the day
    EXPECT_TRUE(h.history);
    EXPECT_FALSE(h.estimated);
}

TEST_F(ReportFile, HistoryRowsArePlacedOnTheLocalClock) {
    history(1, 60, "2024-03-09 16:00:00", 60, 0, 10, 15);  // 03-10 00:00 local: inside
    history(1, 60, "2024-03-10 16:00:00", 60, 60, 0, 0);   // 03-11 00:00 local: the next day
    history(1, 60, "2024-03-09 15:59:00", 60, 60, 0, 0);   // 03-09 23:59 local: the day before
    const HostFigures h = oneDay().hosts.at(0);
    EXPECT_EQ(h.sent, 60);
    EXPECT_EQ(h.lost, 0);
}

TEST_F(ReportFile, CoarserRowsCountWhereTheFinerOnesAreGone) {
    // Minute rows from 10:00 local on; before them only 10-minute and hour
    // rows are left (as after the minute rows' two days). Each of the
    // coarser rows that ends by the first finer row counts once.
    minutes(1, "2024-03-10 02:00:00", 10);
    history(1, 600, "2024-03-10 01:50:00", 600, 60, 10, 20);  // 09:50-10:00: used
    history(1, 600, "2024-03-10 02:00:00", 600, 0, 10, 15);   // the minutes' own: not
    history(1, 3600, "2024-03-10 00:00:00", 3600, 0, 10, 30);  // 08:00-09:00: used
    history(1, 3600, "2024-03-10 01:00:00", 3600, 0, 10, 30);  // 09:00-10:00 overlaps 09:50: not
    const HostFigures h = oneDay().hosts.at(0);
    EXPECT_EQ(h.sent, 600 + 600 + 3600);
    EXPECT_EQ(h.lost, 60);
    EXPECT_DOUBLE_EQ(*h.coverage, (600.0 + 600 + 3600) / kDay);
}

TEST_F(ReportFile, WithoutHistoryAvailabilityComesFromTheDowntimeAndLossIsUnknown) {
    outage(2, kOutageDown, "2024-03-10 10:00:00", "2024-03-10 10:30:00");
    outage(2, kOutageDown, "2024-03-10 20:00:00", "2024-03-10 20:10:00");
    outage(2, kOutageHighLatency, "2024-03-10 21:00:00", "2024-03-10 21:05:00", 480);
    const HostFigures h = oneDay({2}).hosts.at(0);
    ASSERT_TRUE(h.availability);
    EXPECT_DOUBLE_EQ(*h.availability, 1.0 - 2400.0 / kDay);
    EXPECT_EQ(h.outages, 2);
    EXPECT_EQ(h.highLatency, 1);
    EXPECT_EQ(h.downtime, 2400);
    EXPECT_EQ(h.longest, 1800);
    EXPECT_EQ(h.worstMs, 480);
    EXPECT_FALSE(h.loss);
    EXPECT_FALSE(h.averageMs);
    EXPECT_FALSE(h.coverage);
    EXPECT_TRUE(h.estimated);
}

TEST_F(ReportFile, OutagesAreCutToTheRange) {
    struct Case {
        const char *start, *end, *now;  // end "" while it lasts
        bool listed;
        const char *cutStart, *cutEnd;
        bool before, lasting, after;
        const char* why;
    };
    const Case cases[] = {
        {"2024-03-09 23:50:00", "2024-03-10 00:10:00", "2024-03-12 09:00:00", true, "2024-03-10 00:00:00",
         "2024-03-10 00:10:00", true, false, false, "began before the range"},
        {"2024-03-10 23:55:00", "2024-03-11 00:20:00", "2024-03-12 09:00:00", true, "2024-03-10 23:55:00",
         "2024-03-11 00:00:00", false, false, true, "ended after the range"},
        {"2024-03-09 12:00:00", "2024-03-11 12:00:00", "2024-03-12 09:00:00", true, "2024-03-10 00:00:00",
         "2024-03-11 00:00:00", true, false, true, "spans the whole range"},
        {"2024-03-10 23:00:00", "", "2024-03-12 09:00:00", true, "2024-03-10 23:00:00", "2024-03-11 00:00:00",
         false, true, true, "still open, made after the range"},
        {"2024-03-10 11:00:00", "", "2024-03-10 12:00:00", true, "2024-03-10 11:00:00", "2024-03-10 12:00:00",
         false, true, false, "still open, made inside the range: cut to now"},
        {"2024-03-09 23:00:00", "2024-03-10 00:00:00", "2024-03-12 09:00:00", false, "", "", false, false, false,
         "ended as the range began"},
        {"2024-03-11 00:00:00", "2024-03-11 00:05:00", "2024-03-12 09:00:00", false, "", "", false, false, false,
         "began as the range ended"},
    };
    int host = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        outage(++host, kOutageDown, c.start, c.end);
        const ReportFigures r = report(at("2024-03-10 00:00:00"), at("2024-03-11 00:00:00"), at(c.now), {host});
        ASSERT_EQ(r.outageList.size(), c.listed ? 1u : 0u);
        if (!c.listed) {
            EXPECT_EQ(r.hosts.at(0).downtime, 0);
            continue;
        }
        const ReportOutage& o = r.outageList[0];
        EXPECT_EQ(utcText(o.start), c.cutStart);
        EXPECT_EQ(utcText(o.end), c.cutEnd);
        EXPECT_EQ(o.startsBefore, c.before);
        EXPECT_EQ(o.lasting, c.lasting);
        EXPECT_EQ(o.endsAfter, c.after);
        EXPECT_EQ(r.hosts.at(0).downtime, o.duration());
    }
}

TEST_F(ReportFile, TheOutageListIsNewestFirstOverAllHosts) {
    outage(1, kOutageDown, "2024-03-10 08:00:00", "2024-03-10 08:01:00", 0, "一号");
    outage(2, kOutageHighLatency, "2024-03-10 09:00:00", "2024-03-10 09:03:00", 700, "二号");
    outage(1, kOutageDown, "2024-03-10 07:00:00", "2024-03-10 07:02:00", 0, "一号");
    outage(3, kOutageDown, "2024-03-10 10:00:00", "2024-03-10 10:02:00", 0, "不在报告中");
    const ReportFigures r = oneDay({1, 2});
    ASSERT_EQ(r.outageList.size(), 3u);
    EXPECT_EQ(r.outageList[0].name, u8"二号");  // as stored: UTF-8
    EXPECT_EQ(r.outageList[0].kind, kOutageHighLatency);
    EXPECT_EQ(r.outageList[0].worst, 700);
    EXPECT_EQ(utcText(r.outageList[1].start), "2024-03-10 08:00:00");
    EXPECT_EQ(utcText(r.outageList[2].start), "2024-03-10 07:00:00");
}

TEST_F(ReportFile, DaysWithoutHistoryCountOnlyWhereAnOutageShowsTheHostWasWatched) {
    // Three days: the first from history (10 minutes, one cycle lost in
    // 600), the second has a down outage and no history, the third nothing.
    minutes(1, "2024-03-10 02:00:00", 10);
    ASSERT_TRUE(db.execute("UPDATE history SET lost = 1 WHERE start = '2024-03-10 02:00:00'"));
    outage(1, kOutageDown, "2024-03-11 10:00:00", "2024-03-11 12:00:00");
    const ReportFigures r =
        report(at("2024-03-10 00:00:00"), at("2024-03-13 00:00:00"), at("2024-03-14 00:00:00"));
    const HostFigures& h = r.hosts.at(0);
    ASSERT_EQ(h.days.size(), 3u);
    EXPECT_TRUE(h.days[0].fromHistory);
    EXPECT_DOUBLE_EQ(*h.days[0].availability, 599.0 / 600);
    EXPECT_FALSE(h.days[1].fromHistory);
    EXPECT_DOUBLE_EQ(*h.days[1].availability, 1.0 - 7200.0 / kDay);
    EXPECT_EQ(h.days[1].downtime, 7200);
    EXPECT_FALSE(h.days[2].availability);
    // Each counted day weighs by the time it stands for: 600 s, a whole day.
    EXPECT_DOUBLE_EQ(*h.availability, (599.0 / 600 * 600 + (1.0 - 7200.0 / kDay) * kDay) / (600 + kDay));
    EXPECT_DOUBLE_EQ(*h.coverage, 600.0 / (3 * kDay));
    EXPECT_TRUE(h.estimated);
}

TEST_F(ReportFile, ARangeWithNothingInItHasNoData) {
    minutes(1, "2024-03-01 02:00:00", 5);  // another week
    outage(1, kOutageDown, "2024-03-01 10:00:00", "2024-03-01 10:30:00");
    const ReportFigures r = oneDay();
    EXPECT_FALSE(r.hasData());
    EXPECT_FALSE(r.hosts.at(0).availability);
    EXPECT_EQ(r.hosts.at(0).days.size(), 1u);  // the day is there, unknown
}

TEST_F(ReportFile, ARangeReachingPastNowEndsAtNow) {
    minutes(1, "2024-03-10 02:00:00", 10);
    const ReportFigures r = report(at("2024-03-10 00:00:00"), at("2024-03-17 00:00:00"), at("2024-03-10 12:00:00"));
    const HostFigures& h = r.hosts.at(0);
    EXPECT_EQ(h.days.size(), 1u);  // the days to come are not shown
    EXPECT_DOUBLE_EQ(*h.coverage, 600.0 / (12 * 3600));
}


// The report dialog makes its figures on a thread of their own: the same
// figures as made in line, and an unreadable file told as such.
TEST_F(ReportFile, AJobOnItsOwnThreadMakesTheSameFigures) {
    minutes(1, "2024-03-10 02:00:00", 10);
    outage(1, kOutageDown, "2024-03-10 10:00:00", "2024-03-10 10:30:00");
    outage(2, kOutageHighLatency, "2024-03-10 21:00:00", "", 480);
    const ReportFigures inLine = oneDay({1, 2});

    ReportRequest r;
    r.from = at("2024-03-10 00:00:00");
    r.to = at("2024-03-11 00:00:00");
    r.now = at("2024-03-12 09:00:00");
    for (int id : {1, 2}) r.hosts.push_back({id, u8"主机" + std::to_string(id), "198.18.1.1"});
    ReportJob job(file.path(), r, fixedOffsetClock(kZone));
    ASSERT_TRUE(job.start());
    ASSERT_TRUE(job.wait(-1));
    ASSERT_TRUE(job.finished());
    ASSERT_TRUE(job.result().read && job.result().figures);
    EXPECT_EQ(reportHostsCsv(*job.result().figures), reportHostsCsv(inLine));
    EXPECT_EQ(reportOutagesCsv(*job.result().figures), reportOutagesCsv(inLine));
    EXPECT_TRUE(job.result().figures->hasData());

    ReportJob unreadable(file.path() + ".missing", r, fixedOffsetClock(kZone));
    ASSERT_TRUE(unreadable.start());
    ASSERT_TRUE(unreadable.wait(-1));
    EXPECT_FALSE(unreadable.result().read);
    EXPECT_FALSE(unreadable.result().figures);
}

}  // namespace
