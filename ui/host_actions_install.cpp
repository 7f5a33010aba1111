#include "ui/host_actions_install.h"

#include "ui/about_actions.h"
#include "ui/actions.h"
#include "ui/host_actions.h"
#include "ui/log_view.h"

#include <utility>

namespace {

// A slot filled before (a test program's own action) is kept.
void fill(std::function<void()>& slot, std::function<void()> action) {
    if (!slot) slot = std::move(action);
}

}  // namespace

void installHostActions(SqliteDB& db) {
    UiActions& a = uiActions();
    fill(a.addHost, addHost);
    fill(a.editHost, [&db] { editHost(db); });
    fill(a.saveHost, [&db] { saveHost(db); });
    fill(a.deleteHosts, [&db] { deleteHosts(db); });
    fill(a.startAllTasks, startAllTasks);
    fill(a.stopAllTasks, stopAllTasks);
    fill(a.startSelectedTask, startSelectedTask);
    fill(a.stopSelectedTask, stopSelectedTask);
    fill(a.queryLog, [&db] { queryLog(db); });
    fill(a.clearLog, [&db] { clearLog(db); });
    fill(a.fillAboutTexts, fillAboutTexts);
    fill(a.followLink, followLink);
    fill(a.openMakerSite, openMakerSite);
}
