#include "report/report_html.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report/report_text.h"

// u8 literals throughout: the build turns plain literals into the
// program's code page, and the file is UTF-8.
namespace {

const char* const kStyle =
    "body{font-family:'Microsoft YaHei','WenQuanYi Micro Hei',sans-serif;margin:24px;color:#222;"
    "background:#fff}"
    "h1{font-size:22px;margin:0 0 4px}h2{font-size:17px;margin:28px 0 8px;border-bottom:1px solid #ccc;"
    "padding-bottom:4px}h3{font-size:14px;margin:16px 0 4px}"
    "p.meta{color:#555;margin:0}"
    "table{border-collapse:collapse;font-size:13px}"
    "th,td{border:1px solid #ccc;padding:4px 8px;text-align:left;white-space:nowrap}"
    "th{background:#f0f0f0}td.n{text-align:right}"
    "tr.down td.kind{color:#c00}tr.high td.kind{color:#c60}"
    "span.cut{color:#777;font-size:12px}"
    "ul.note{font-size:13px;color:#444;max-width:900px}ul.note li{margin:4px 0}"
    "svg text{font-size:11px;fill:#444}";

// The daily chart: one bar a day, its height the day's availability.
constexpr int kBarWidth = 34, kBarGap = 6, kChartHeight = 120, kLabelHeight = 16, kTopRoom = 16;
constexpr int kLabelledDays = 31;  // more days than this: no labels under the bars
constexpr double kGoodShare = 0.999, kFairShare = 0.99;

std::string cell(const std::string& text, bool number = false) {
    return std::string(number ? "<td class=\"n\">" : "<td>") + escapeHtml(text) + "</td>";
}

// "99.9" over a bar: the bar is narrower than the two decimals of the table.
std::string shortShare(double share) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", std::floor(share * 1000 + 1e-6) / 10);
    return text;
}

std::string barColour(const ReportDay& d) {
    if (!d.fromHistory) return "#9aa7b8";  // from the outage rows alone
    if (*d.availability >= kGoodShare) return "#3a9d4a";
    if (*d.availability >= kFairShare) return "#e0a030";
    return "#d04040";
}

std::string dayChart(const HostFigures& h) {
    const int count = static_cast<int>(h.days.size());
    const bool labelled = count <= kLabelledDays;
    const int width = std::max(count * (kBarWidth + kBarGap), 120);
    const int height = kTopRoom + kChartHeight + (labelled ? kLabelHeight : 0);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
                      "\" height=\"" + std::to_string(height) + "\" role=\"img\">";
    svg += "<rect x=\"0\" y=\"" + std::to_string(kTopRoom) + "\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(kChartHeight) + "\" fill=\"#f7f7f7\"/>";
    for (int i = 0; i < count; ++i) {
        const ReportDay& d = h.days[static_cast<std::size_t>(i)];
        const int x = i * (kBarWidth + kBarGap) + kBarGap / 2;
        const std::string date = dateTimeText(d.start).substr(5, 5);  // "MM-dd"
        if (labelled)
            svg += "<text x=\"" + std::to_string(x + kBarWidth / 2) + "\" y=\"" + std::to_string(height - 3) +
                   "\" text-anchor=\"middle\">" + date + "</text>";
        if (!d.availability) continue;
        const int bar = std::max(1, static_cast<int>(*d.availability * kChartHeight + 0.5));
        const int y = kTopRoom + kChartHeight - bar;
        svg += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
               std::to_string(kBarWidth) + "\" height=\"" + std::to_string(bar) + "\" fill=\"" + barColour(d) +
               "\"><title>" + dateTimeText(d.start).substr(0, 10) + u8" 可用率 " +
               availabilityText(d.availability) + u8"，中断 " + durationText(d.downtime) +
               (d.fromHistory ? "" : u8"（按中断记录估算）") + "</title></rect>";
        if (labelled)
            svg += "<text x=\"" + std::to_string(x + kBarWidth / 2) + "\" y=\"" + std::to_string(y - 3) +
                   "\" text-anchor=\"middle\">" + shortShare(*d.availability) + "</text>";
    }
    return svg + "</svg>";
}

std::string hostName(const ReportHost& host) {
    return escapeHtml(host.name) + u8"（" + escapeHtml(host.address) + u8"）";
}

std::string summaryTable(const ReportFigures& r) {
    std::string out = u8"<table><thead><tr><th>主机</th><th>地址</th><th>可用率</th><th>中断次数</th>"
                      u8"<th>中断总时长</th><th>最长中断</th><th>最高延迟</th><th>平均延迟</th>"
                      u8"<th>丢包率</th><th>覆盖率</th><th>延迟过高次数</th></tr></thead><tbody>";
    for (const HostFigures& h : r.hosts) {
        out += "<tr>" + cell(h.host.name) + cell(h.host.address) +
               cell(availabilityText(h.availability) + (h.estimated ? u8" *" : ""), true) +
               cell(std::to_string(h.outages), true) + cell(durationText(h.downtime), true) +
               cell(durationText(h.longest), true) + cell(latencyText(h.worstMs), true) +
               cell(latencyText(h.averageMs), true) + cell(lossText(h.loss), true) +
               cell(availabilityText(h.coverage), true) + cell(std::to_string(h.highLatency), true) + "</tr>";
    }
    return out + "</tbody></table>";
}

std::string outageTable(const ReportFigures& r) {
    if (r.outageList.empty()) return u8"<p>所选时段内没有中断或延迟过高的记录。</p>";
    std::string out = u8"<table><thead><tr><th>主机</th><th>类型</th><th>开始</th><th>结束</th>"
                      u8"<th>时长</th><th>最高延迟</th></tr></thead><tbody>";
    for (const ReportOutage& o : r.outageList) {
        const bool down = o.kind == kOutageDown;
        std::string start = escapeHtml(dateTimeText(o.start));
        if (o.startsBefore) start += u8"<span class=\"cut\">（此前已开始）</span>";
        std::string end = escapeHtml(dateTimeText(o.end));
        if (o.lasting)
            end += u8"<span class=\"cut\">（仍在持续）</span>";
        else if (o.endsAfter)
            end += u8"<span class=\"cut\">（此后才结束）</span>";
        out += std::string("<tr class=\"") + (down ? "down" : "high") + "\">" +
               cell(o.name + u8"（" + o.address + u8"）") + "<td class=\"kind\">" + outageKindText(o.kind) +
               "</td><td>" + start + "</td><td>" + end + "</td>" + "<td class=\"n\" data-seconds=\"" +
               std::to_string(o.duration()) + "\">" + durationText(o.duration()) + "</td>" +
               cell(down ? std::string(kUnknownFigure) : latencyText(o.worst), true) + "</tr>";
    }
    return out + "</tbody></table>";
}

const char* const kNote =
    u8"<ul class=\"note\">"
    u8"<li>可用率：有历史记录的日子为“应答次数 ÷ 发出检测次数”；没有历史记录的主机（或只有中断记录的日子）"
    u8"为“1 − 中断时长 ÷ 监测时长”，监测时长按整段时间计，标有 *。各日按其监测时长加权合计。"
    u8"既无历史记录也无中断记录的日子不计入。</li>"
    u8"<li>中断次数、中断总时长、最长中断：来自中断记录（类型“中断”）；所选时段开始前已开始或结束后才结束的中断，"
    u8"只计入时段内的部分；仍在持续的中断计到报告生成时。</li>"
    u8"<li>最高延迟、平均延迟、丢包率：来自历史记录（平均延迟按应答次数加权）；最高延迟也计入“延迟过高”记录中的最高值。"
    u8"没有历史记录时，平均延迟和丢包率显示“—”。</li>"
    u8"<li>覆盖率：所选时段（截至报告生成时）中程序在运行并检测该主机的时间所占比例，按有检测记录的分钟计算"
    u8"（两天以前的时段按 10 分钟或 1 小时的记录计算）；没有历史记录时无法得知，显示“—”。</li>"
    u8"<li>可用率与覆盖率向下截取两位小数，丢包率向上取两位小数。</li>"
    u8"<li>每日图：柱高为当天可用率；绿色 ≥ 99.9%，橙色 ≥ 99%，红色低于 99%，灰蓝色为按中断记录估算。</li>"
    u8"</ul>";

}  // namespace

std::string escapeHtml(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string reportHtml(const ReportFigures& r) {
    const std::string range = dateTimeText(r.from) + u8" 至 " + dateTimeText(r.to);
    std::string out = u8"<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>网络中断报告 " +
                      range + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
    out += u8"<h1>网络中断报告</h1>\n<p class=\"meta\">时段：" + range + u8"</p>\n<p class=\"meta\">生成时间：" +
           dateTimeText(r.made) + "</p>\n";
    out += u8"<h2>各主机概况</h2>\n" + summaryTable(r) + "\n";
    out += u8"<h2>每日可用率</h2>\n";
    for (const HostFigures& h : r.hosts) out += "<h3>" + hostName(h.host) + "</h3>\n" + dayChart(h) + "\n";
    out += u8"<h2>中断记录</h2>\n" + outageTable(r) + "\n";
    out += u8"<h2>计算方法</h2>\n" + std::string(kNote) + "\n</body>\n</html>\n";
    return out;
}
