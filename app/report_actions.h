// The report dialog's actions: "报告…" and "生成报告…" open it; "生成" writes
// the HTML report to a file the user chooses (and opens it when asked);
// "导出 CSV" writes its two tables. What a report is made of is read on a
// connection and a thread of its own (report/report_job.h): the dialog's
// buttons are off and its title says so meanwhile, and the window thread
// takes the figures when they are made (a timer looks), then asks for the
// file.
//
// Threads: the user-interface thread only.
#pragma once

// Fills the report slots of the current UiState that are still empty.
void installReportActions();
// The end of the program: waits up to waitMs for figures still being made
// (they only read; the file is not written until they are taken).
void endReport(int waitMs);
