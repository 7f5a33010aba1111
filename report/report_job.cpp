#include "report/report_job.h"

#include "report/report_reader.h"

ReportJob::~ReportJob() {
    if (thread_) closeThreadHandle(thread_);
}

bool ReportJob::start() {
    if (thread_) return false;
    return startThread(&ReportJob::run, reinterpret_cast<std::uintptr_t>(this), &thread_);
}

bool ReportJob::wait(int timeoutMs) { return thread_ && waitThread(thread_, timeoutMs); }

int ReportJob::run(std::uintptr_t self) {
    auto* job = reinterpret_cast<ReportJob*>(self);
    ReportInput input;
    if (readReportInput(job->path_, job->request_, job->clock_, input)) {
        job->result_.read = true;
        job->result_.figures = computeReport(job->request_, input);
    }
    job->finished_.store(true, std::memory_order_release);
    return 0;
}
