#include "app/program_export.h"

#include "app/exit_steps.h"
#include "ui/actions.h"
#include "ui/log_export.h"

namespace {

constexpr const char* kEndExportStep = "end log export";
// A cancelled export stops within one step of rows; this covers a slow
// disk's final write with room to spare, and the end never hangs on it.
constexpr int kExportEndWaitMs = 5000;

}  // namespace

void startProgramExport(const Text& databasePath) {
    UiActions& actions = uiActions();
    if (!actions.exportLog) actions.exportLog = [databasePath] { exportLog(databasePath); };
    if (!actions.cancelLogExport) actions.cancelLogExport = cancelLogExport;
    programExitSequence().addBefore(kCloseDatabaseStep, kEndExportStep, [] { endLogExport(kExportEndWaitMs); });
}
