// The report's two CSV files: by the log export's rules, durations in
// seconds and latencies in ms for a spreadsheet to add up, unknown figures
// as empty fields.
#include <gtest/gtest.h>

#include "report/report_csv.h"

namespace {

LocalSeconds at(const char* localText) { return *utcFromText(localText); }

ReportFigures sample() {
    ReportRequest r;
    r.from = at("2024-03-10 00:00:00");
    r.to = at("2024-03-11 00:00:00");
    r.now = at("2024-03-10 12:00:00");
    r.hosts = {{1, u8"a,\"b\"", "198.18.1.1"}, {2, u8"远端\n服务器", "198.18.1.4"}};
    ReportInput in;
    in.periods.push_back({1, 60, at("2024-03-10 10:00:00"), 200, 1, 12, 40});
    in.outages.push_back({1, u8"a,\"b\"", "198.18.1.1", kOutageDown, at("2024-03-09 23:59:00"),
                          at("2024-03-10 00:01:30"), 0});
    in.outages.push_back({2, u8"远端\n服务器", "198.18.1.4", kOutageHighLatency, at("2024-03-10 11:00:00"),
                          std::nullopt, 650});
    return computeReport(r, in);
}

// The second host has no history: its availability comes from its outage
// rows (no downtime), its loss, average and coverage cannot be known.
TEST(ReportCsv, TheHostsTable) {
    EXPECT_EQ(reportHostsCsv(sample()),
              u8"\uFEFF主机,地址,可用率,中断次数,中断总时长(秒),最长中断(秒),最高延迟(ms),平均延迟(ms),丢包率,覆盖率,"
              u8"延迟过高次数\r\n"
              u8"\"a,\"\"b\"\"\",198.18.1.1,99.50%,1,90,90,40,12,0.50%,0.13%,0\r\n"
              u8"\"远端\n服务器\",198.18.1.4,100.00%,0,0,0,650,,,,1\r\n");
}

TEST(ReportCsv, TheOutageListNewestFirstWithItsCuts) {
    EXPECT_EQ(reportOutagesCsv(sample()),
              u8"\uFEFF主机,地址,类型,开始,结束,时长(秒),最高延迟(ms),说明\r\n"
              u8"\"远端\n服务器\",198.18.1.4,延迟过高,2024-03-10 11:00:00,2024-03-10 12:00:00,3600,650,仍在持续\r\n"
              u8"\"a,\"\"b\"\"\",198.18.1.1,中断,2024-03-10 00:00:00,2024-03-10 00:01:30,90,,此前已开始\r\n");
}

}  // namespace
