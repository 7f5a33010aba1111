#include "app/program_log.h"

#include "app/exit_steps.h"
#include "monitor/log_writer.h"
#include "monitor/monitor_context.h"

namespace {

constexpr const char* kEndLogWriterStep = "end log writer";
// The queued rows of the last cycles take milliseconds; a file another
// program holds is waited for this long at most, and the end never hangs.
constexpr int kLogWriterEndWaitMs = 3000;

LogWriter& programLogWriter() {
    static LogWriter writer;
    return writer;
}

}  // namespace

void startProgramLogWriter(const Text& databasePath) {
    if (!programLogWriter().start(databasePath)) return;
    setMonitorLogWriter(&programLogWriter());
    // A task that outlived the stop finds the writer finished: it writes
    // its row itself, on the connection still open until the next step.
    programExitSequence().addBefore(kCloseDatabaseStep, kEndLogWriterStep,
                                    [] { programLogWriter().finish(kLogWriterEndWaitMs); });
}
