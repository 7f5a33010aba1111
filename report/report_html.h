// The outage report as one self-contained HTML file: UTF-8, styles in the
// file, the daily charts as inline SVG, no scripts and nothing fetched, so
// it opens the same offline, mailed, or years later. Every text from the
// database (host names, addresses) is escaped.
//
// Threads: any; no state.
#pragma once

#include <string>

#include "report/report_figures.h"

// The text with &, <, >, " and ' written as character references: safe in
// element content and in quoted attribute values alike.
std::string escapeHtml(const std::string& utf8);

std::string reportHtml(const ReportFigures& report);
