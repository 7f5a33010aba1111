// The report's two tables as CSV files, by the log export's rules
// (report/csv.h): UTF-8 with a byte-order mark, "\r\n" line ends, fields
// quoted where they hold commas, quotes or line breaks. Durations are whole
// seconds and latencies whole ms, so that a spreadsheet can add them up;
// a figure that cannot be known is an empty field.
//
// Threads: any; no state.
#pragma once

#include <string>

#include "report/report_figures.h"

// 主机,地址,可用率,中断次数,中断总时长(秒),最长中断(秒),最高延迟(ms),平均延迟(ms),丢包率,覆盖率,延迟过高次数
std::string reportHostsCsv(const ReportFigures& report);
// 主机,地址,类型,开始,结束,时长(秒),最高延迟(ms),说明 — newest first.
std::string reportOutagesCsv(const ReportFigures& report);
