// The operations the windows' events lead to, one slot each. A slot starts
// empty and then does nothing; the module that owns the operation fills it
// once at start (start-up sequence, host management, log view, tray icon,
// about texts and web links). The windows route their events here.
// The slots belong to a UiState (ui/ui_state.h).
//
// Threads: the user-interface thread only (slots are read when events run).
#pragma once

#include <functional>
#include <optional>

#include "runtime/win32/window.h"

struct UiActions {
    // Main window.
    std::function<void()> startUp;                        // created
    std::function<std::optional<int>()> mainCloseQuery;   // user asks to close; 0 keeps it
    std::function<void()> mainDestroying;                 // about to be destroyed
    std::function<void()> sessionEnding;                  // Windows ends the session (WM_ENDSESSION)
    std::function<int(std::intptr_t wParam, std::intptr_t lParam)> statusReport;  // 标签_消息接收 got 0x8075
    // Host list and host menu "菜单".
    std::function<void()> addHost;     // "添加"
    std::function<void()> editHost;    // "修改", double click on the host list
    std::function<void()> deleteHosts; // "删除"
    std::function<void(int hostId)> hostDeleted;  // after "删除" removed one host's row from the file
    std::function<void()> startAllTasks, stopAllTasks;            // "全部启动", "全部停止"
    std::function<void()> startSelectedTask, stopSelectedTask;    // "启动", "停止"
    std::function<void()> showGraph;                              // "图表"
    std::function<void()> muteSelectedHost;  // "不提醒此主机": switches the current host's notices
    // Log page and log menu "日志右键".
    std::function<void()> queryLog;  // 按钮_查询日志
    std::function<void()> clearLog;  // 按钮_清空日志, "清空日志"
    std::function<void()> exportLog;        // "导出…"
    std::function<void()> cancelLogExport;  // the export's "取消", Esc, close box
    // Tray menu "程序".
    std::function<void()> showMainWindow;  // "显示"
    std::function<void()> openMakerSite;   // "更多软件"
    std::function<void()> exitProgram;     // "退出"
    std::function<void()> openSettings;    // "设置…"
    std::function<void()> pauseAlerts;     // "暂停提醒 1 小时" / "恢复提醒"
    std::function<void()> openReport;      // "报告…", and "生成报告…" of the log menu
    // The main window's menu items whose look follows the program's state.
    std::function<MenuItemLook(int unit)> mainMenuLook;
    // Settings window.
    std::function<void()> fillSettings;    // created
    std::function<void()> saveSettings;    // "确定"
    // Report dialog.
    std::function<void()> fillReport;         // created
    std::function<void()> reportHostsChosen;  // 选择框_全部主机 clicked
    std::function<void()> generateReport;     // "生成"
    std::function<void()> exportReportCsv;    // "导出 CSV"
    // Host dialog and about window.
    std::function<void()> saveHost;        // 按钮1
    std::function<void(int hostId)> hostDialogShown;  // "添加" (0) or "修改" (the host) opened it
    std::function<void()> suggestThresholds;          // 按钮_建议阈值
    std::function<void()> fillAboutTexts;  // about window created
    std::function<void()> followLink;      // 标签_网址: left button pressed
};

// The current UiState's slots.
UiActions& uiActions();
