// The report file: its texts, its escaping, and the whole file read by a
// strict HTML5 parser (html_check.py, Debian's python3-html5lib) the way a
// browser would need it: no parse error, no script, nothing from outside.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "report/report_html.h"
#include "report/report_text.h"
#include "tests/store/temp_db.h"

namespace {

LocalSeconds at(const char* localText) { return *utcFromText(localText); }

TEST(ReportText, FiguresReadNoBetterThanTheyAre) {
    struct Case {
        std::string got, want;
    };
    const Case cases[] = {
        {availabilityText(1.0), "100.00%"},
        {availabilityText(0.99999), "99.99%"},  // never 100% while anything was lost
        {availabilityText(0.9999), "99.99%"},   // 0.9999 is stored a hair below
        {availabilityText(0.0), "0.00%"},
        {availabilityText(std::nullopt), u8"—"},
        {lossText(0.00001), "0.01%"},  // never 0% while anything was lost
        {lossText(0.01), "1.00%"},
        {lossText(0.0), "0.00%"},
        {lossText(std::nullopt), u8"—"},
        {durationText(0), u8"0 秒"},
        {durationText(59), u8"59 秒"},
        {durationText(3605), u8"1 小时 0 分 5 秒"},
        {durationText(2 * 86400 + 60), u8"2 天 0 小时 1 分 0 秒"},
        {latencyText(35), "35 ms"},
        {latencyText(std::nullopt), u8"—"},
        {outageKindText(kOutageDown), u8"中断"},
        {outageKindText(kOutageHighLatency), u8"延迟过高"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(ReportHtml, EscapesEveryCharacterThatMeansMarkup) {
    EXPECT_EQ(escapeHtml(u8"<b>&\"'"), "&lt;b&gt;&amp;&quot;&#39;");
    EXPECT_EQ(escapeHtml(u8"网关 1"), u8"网关 1");
    EXPECT_EQ(escapeHtml("&amp;"), "&amp;amp;");  // already escaped text is text too
}

// A report of two hosts over two days: one named with markup, one with an
// outage cut at the range's start and a high-latency episode still open.
ReportFigures sample() {
    ReportRequest r;
    r.from = at("2024-03-10 00:00:00");
    r.to = at("2024-03-12 00:00:00");
    r.now = at("2024-03-11 18:00:00");
    r.hosts = {{1, u8"<b>&\"'", u8"198.18.1.1\"><i>"}, {2, u8"远端服务器", "198.18.1.4"}};
    ReportInput in;
    in.periods.push_back({1, 60, at("2024-03-10 10:00:00"), 60, 3, 12, 40});
    in.outages.push_back({1, u8"<b>&\"'", "198.18.1.1", kOutageDown, at("2024-03-10 10:00:00"),
                          at("2024-03-10 10:30:00"), 0});
    in.outages.push_back({2, u8"远端服务器", "198.18.1.4", kOutageDown, at("2024-03-09 23:00:00"),
                          at("2024-03-10 00:10:00"), 0});
    in.outages.push_back({2, u8"远端服务器", "198.18.1.4", kOutageHighLatency, at("2024-03-11 17:00:00"),
                          std::nullopt, 650});
    return computeReport(r, in);
}

// What the checker printed, and its exit code.
int check(const std::string& html, std::string& rows) {
    TempDbFile file(".html");
    {
        std::ofstream out(file.path().str(), std::ios::binary);
        out << html;
    }
    const std::string command = std::string(QERNO_HTML_CHECK) + " '" + file.path().str() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) rows.append(buffer, n);
    return pclose(pipe);
}

TEST(ReportHtml, TheWholeFileParsesStrictlyAndShowsEveryTextAsWritten) {
    std::string rows;
    ASSERT_EQ(check(reportHtml(sample()), rows), 0) << rows;
    // The summary row and the outage rows, as a reader sees them.
    EXPECT_NE(rows.find(u8"<b>&\"'\t198.18.1.1\"><i>\t"), std::string::npos) << rows;
    EXPECT_NE(rows.find(u8"<b>&\"'（198.18.1.1）\t中断\t2024-03-10 10:00:00\t2024-03-10 10:30:00\t30 分 0 秒\t"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find(u8"中断\t2024-03-10 00:00:00（此前已开始）\t2024-03-10 00:10:00\t10 分 0 秒"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find(u8"延迟过高\t2024-03-11 17:00:00\t2024-03-11 18:00:00（仍在持续）\t1 小时 0 分 0 秒\t650 ms"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find("DURATION\t1800\n"), std::string::npos);
    // Newest first: the open episode's row comes before the others.
    EXPECT_LT(rows.find(u8"延迟过高\t2024-03-11"), rows.find(u8"中断\t2024-03-10 10:00:00"));
}

TEST(ReportHtml, TheCheckerRefusesWhatABrowserWouldStumbleOn) {
    // The parse test above means something only if these fail it.
    const std::string good = reportHtml(sample());
    const std::string bad[] = {
        good.substr(0, good.find("</body>")) + "</div></body></html>",                 // a stray end tag
        "<html><head><title>x</title></head><body></body></html>",                    // no doctype
        good.substr(0, good.find("</body>")) + "<script>1</script></body></html>",    // a script
        good.substr(0, good.find("</body>")) + "<img src=\"http://x/y\"></body></html>",  // from outside
    };
    for (const std::string& html : bad) {
        std::string out;
        EXPECT_NE(check(html, out), 0) << html.substr(html.size() > 80 ? html.size() - 80 : 0);
    }
}

TEST(ReportHtml, AReportWithoutOutagesSaysSo) {
    ReportRequest r;
    r.from = at("2024-03-10 00:00:00");
    r.to = at("2024-03-11 00:00:00");
    r.now = at("2024-03-12 00:00:00");
    r.hosts = {{1, u8"网关", "198.18.1.1"}};
    ReportInput in;
    in.periods.push_back({1, 60, at("2024-03-10 10:00:00"), 60, 0, 12, 40});
    const std::string html = reportHtml(computeReport(r, in));
    EXPECT_NE(html.find(u8"所选时段内没有中断或延迟过高的记录。"), std::string::npos);
    std::string rows;
    EXPECT_EQ(check(html, rows), 0) << rows;
}

}  // namespace
