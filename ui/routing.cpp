#include "ui/routing.h"

#include "runtime/win32/window_commands.h"
#include "ui/about_window.h"
#include "ui/actions.h"
#include "ui/colour_picker.h"
#include "ui/host_dialog.h"
#include "ui/log_export_window.h"
#include "ui/main_window.h"
#include "ui/report_dialog.h"
#include "ui/settings_window.h"

namespace {

// A handler that runs a slot when it is filled and sets no result.
Window::Handler slot(std::function<void()> UiActions::*action) {
    return [action](int, int) -> std::optional<int> {
        if (auto& f = uiActions().*action) f();
        return std::nullopt;
    };
}

void routeMainWindow() {
    using namespace MainWin;
    Window& w = mainWindow();
    w.setHandler(WindowEvent::Created, slot(&UiActions::startUp));
    w.setHandler(WindowEvent::Resized, [](int, int) -> std::optional<int> {
        relayoutMainWindow();
        return std::nullopt;
    });
    w.setHandler(WindowEvent::CloseQuery, [](int, int) -> std::optional<int> {
        if (auto& f = uiActions().mainCloseQuery) return f();
        return std::nullopt;
    });
    w.setHandler(WindowEvent::Destroying, slot(&UiActions::mainDestroying));
    w.setHandler(WindowEvent::SessionEnding, slot(&UiActions::sessionEnding));
    w.setHandler(标签_消息接收, ControlEvent::Report, [](std::intptr_t wp, std::intptr_t lp) -> std::optional<int> {
        if (auto& f = uiActions().statusReport) return f(wp, lp);
        return std::nullopt;
    });
    w.setHandler(超级列表框_通讯, ControlEvent::DoubleClick, slot(&UiActions::editHost));
    w.setHandler(超级列表框_通讯, ControlEvent::RightButtonDown, [](int, int) -> std::optional<int> {
        popupMenu(mainWindow(), 主机菜单);
        return std::nullopt;
    });
    w.setHandler(超级列表框_日志, ControlEvent::ListRightClick, [](int, int) -> std::optional<int> {
        popupMenu(mainWindow(), 日志菜单);
        return std::nullopt;
    });
    w.setHandler(按钮_查询日志, ControlEvent::Clicked, slot(&UiActions::queryLog));
    w.setHandler(按钮_清空日志, ControlEvent::Clicked, slot(&UiActions::clearLog));

    w.setHandler(显示, ControlEvent::Clicked, slot(&UiActions::showMainWindow));
    w.setHandler(关于程序, ControlEvent::Clicked, [](int, int) -> std::optional<int> {
        loadWindow(aboutWindow(), &mainWindow());
        return std::nullopt;
    });
    w.setHandler(更多软件, ControlEvent::Clicked, slot(&UiActions::openMakerSite));
    w.setHandler(退出, ControlEvent::Clicked, slot(&UiActions::exitProgram));
    w.setHandler(添加, ControlEvent::Clicked, slot(&UiActions::addHost));
    w.setHandler(修改, ControlEvent::Clicked, slot(&UiActions::editHost));
    w.setHandler(删除, ControlEvent::Clicked, slot(&UiActions::deleteHosts));
    w.setHandler(全部启动, ControlEvent::Clicked, slot(&UiActions::startAllTasks));
    w.setHandler(全部停止, ControlEvent::Clicked, slot(&UiActions::stopAllTasks));
    w.setHandler(启动, ControlEvent::Clicked, slot(&UiActions::startSelectedTask));
    w.setHandler(停止, ControlEvent::Clicked, slot(&UiActions::stopSelectedTask));
    w.setHandler(图表, ControlEvent::Clicked, slot(&UiActions::showGraph));
    w.setHandler(清空日志, ControlEvent::Clicked, slot(&UiActions::clearLog));
    w.setHandler(导出日志, ControlEvent::Clicked, slot(&UiActions::exportLog));
    w.setHandler(设置, ControlEvent::Clicked, slot(&UiActions::openSettings));
    w.setHandler(报告, ControlEvent::Clicked, slot(&UiActions::openReport));
    w.setHandler(生成报告, ControlEvent::Clicked, slot(&UiActions::openReport));
    w.setHandler(暂停提醒, ControlEvent::Clicked, slot(&UiActions::pauseAlerts));
    w.setHandler(不提醒此主机, ControlEvent::Clicked, slot(&UiActions::muteSelectedHost));
    w.setMenuLook([](int unit) {
        if (auto& f = uiActions().mainMenuLook) return f(unit);
        return MenuItemLook{};
    });
}

void routeSettingsWindow() {
    using namespace SettingsWin;
    Window& w = settingsWindow();
    w.setHandler(WindowEvent::Created, slot(&UiActions::fillSettings));
    w.setHandler(按钮_确定, ControlEvent::Clicked, slot(&UiActions::saveSettings));
    w.setHandler(按钮_取消, ControlEvent::Clicked, [](int, int) -> std::optional<int> {
        destroyWindow(settingsWindow());
        return std::nullopt;
    });
}

void routeReportDialog() {
    using namespace ReportDlg;
    Window& w = reportDialog();
    w.setHandler(WindowEvent::Created, slot(&UiActions::fillReport));
    w.setHandler(选择框_全部主机, ControlEvent::Clicked, slot(&UiActions::reportHostsChosen));
    w.setHandler(按钮_生成, ControlEvent::Clicked, slot(&UiActions::generateReport));
    w.setHandler(按钮_导出CSV, ControlEvent::Clicked, slot(&UiActions::exportReportCsv));
}

void routeHostDialog() {
    hostDialog().setHandler(HostDlg::按钮1, ControlEvent::Clicked, slot(&UiActions::saveHost));
    hostDialog().setHandler(HostDlg::按钮_建议阈值, ControlEvent::Clicked, slot(&UiActions::suggestThresholds));
}

void routeAboutWindow() {
    using namespace AboutWin;
    Window& w = aboutWindow();
    w.setHandler(WindowEvent::Created, slot(&UiActions::fillAboutTexts));
    w.setHandler(按钮_确认, ControlEvent::Clicked, [](int, int) -> std::optional<int> {
        destroyWindow(aboutWindow());
        return std::nullopt;
    });
    w.setHandler(标签_网址, ControlEvent::LeftButtonDown, slot(&UiActions::followLink));
}

// Closing asks the export to stop; the window stays until it has.
void routeLogExportWindow() {
    Window& w = logExportWindow();
    w.setHandler(LogExportWin::按钮_取消导出, ControlEvent::Clicked, slot(&UiActions::cancelLogExport));
    w.setHandler(WindowEvent::CloseQuery, [](int, int) -> std::optional<int> {
        auto& cancel = uiActions().cancelLogExport;
        if (!cancel) return std::nullopt;
        cancel();
        return 0;
    });
}

}  // namespace

void routeWindowEvents() {
    registerColourPicker();
    routeMainWindow();
    routeHostDialog();
    routeAboutWindow();
    routeSettingsWindow();
    routeLogExportWindow();
    routeReportDialog();
}
