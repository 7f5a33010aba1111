// The report's figures as the user reads them, in UTF-8 (the report file
// and its CSV files are UTF-8, not the program's code page): percentages,
// durations, latencies, date texts, outage kinds. "—" stands for a figure
// that cannot be known.
//
// Threads: any; no state.
#pragma once

#include <optional>
#include <string>

#include "report/report_figures.h"

extern const char* const kUnknownFigure;  // "—"

// Shares never read better than they are: an availability or a coverage is
// cut down to two decimals ("99.99%" for 99.999%), a loss rounded up
// ("0.01%" for any loss below it). The figures' own choice of direction.
std::string availabilityText(const std::optional<double>& share);
std::string lossText(const std::optional<double>& share);
// "2 天 3 小时 4 分 5 秒", leading zero units left out; "0 秒".
std::string durationText(LocalSeconds seconds);
// "35 ms" or "—".
std::string latencyText(const std::optional<int>& ms);
// "yyyy-MM-dd HH:mm:ss", the database's date text.
std::string dateTimeText(LocalSeconds t);
// "中断" or "延迟过高".
std::string outageKindText(int kind);
