// A report's figures made on a thread of their own: reading a week of
// history for a couple of thousand hosts takes seconds, which the window's
// thread must not spend. The thread reads on its own connection
// (report/report_reader.h), computes the figures and ends; the owner looks
// at finished() (from a timer, say) and then takes the result.
//
// Threads: start(), finished(), result() and wait() belong to the owner's
// thread; the job's own thread touches only what start() handed it and the
// result, which the owner reads only after finished() said so. A job is
// freed only after its thread has ended (wait() true): at the program's end
// one still reading is left to the process's end instead.
#pragma once

#include <atomic>
#include <optional>

#include "report/local_clock.h"
#include "report/report_figures.h"
#include "runtime/text.h"
#include "runtime/thread.h"

struct ReportJobResult {
    bool read = false;                    // false: the file could not be read
    std::optional<ReportFigures> figures;  // when read
};

class ReportJob {
public:
    ReportJob(Text databasePath, ReportRequest request, LocalClock clock)
        : path_(std::move(databasePath)), request_(std::move(request)), clock_(std::move(clock)) {}
    ~ReportJob();
    ReportJob(const ReportJob&) = delete;
    ReportJob& operator=(const ReportJob&) = delete;

    // Starts the thread; false when it could not be started.
    bool start();
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Only once finished().
    const ReportJobResult& result() const { return result_; }
    // Waits for the thread at most timeoutMs (-1: no limit); true once it has ended.
    bool wait(int timeoutMs);

private:
    static int run(std::uintptr_t self);

    const Text path_;
    const ReportRequest request_;
    const LocalClock clock_;
    // Written by the job's thread before it sets finished_ (release).
    ReportJobResult result_;
    std::atomic<bool> finished_{false};
    ThreadHandle thread_ = 0;
};
