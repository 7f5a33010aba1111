// The report dialog's actions: "报告…" and "生成报告…" open it; "生成" writes
// the HTML report to a file the user chooses (and opens it when asked);
// "导出 CSV" writes its two tables. What a report is made of is read on a
// connection of its own (report/report_reader.h), never on the window
// thread's shared one.
//
// Threads: the user-interface thread only.
#pragma once

// Fills the report slots of the current UiState that are still empty.
void installReportActions();
