// The main window "Qerno网络检测": a tab control with the host list on page
// "主机列表" and the log on page "日志", the hidden notification receiver, and
// the three popup menus. Units are named as the application addresses them.
// The user-interface thread only.
#pragma once

#include "runtime/win32/window.h"

namespace MainWin {
enum Unit : int {
    选择夹_通讯 = 1,
    超级列表框_通讯,
    外形框1,
    选择框_时间,
    按钮_清空日志,
    日期框_开始日期,
    标签3,
    日期框_结束日期,
    标签1,
    组合框1,
    按钮_查询日志,
    超级列表框_日志,
    标签_消息接收,
};
// Popup menus of the template, by index.
enum Menu : int { 程序菜单 = 0, 主机菜单 = 1, 日志菜单 = 2 };
enum MenuItem : int {
    显示 = menuItemUnit(程序菜单, 0),
    设置 = menuItemUnit(程序菜单, 1),
    报告 = menuItemUnit(程序菜单, 2),
    暂停提醒 = menuItemUnit(程序菜单, 3),  // "恢复提醒" while paused
    关于程序 = menuItemUnit(程序菜单, 5),
    更多软件 = menuItemUnit(程序菜单, 6),
    退出 = menuItemUnit(程序菜单, 8),
    添加 = menuItemUnit(主机菜单, 0),
    修改 = menuItemUnit(主机菜单, 1),
    删除 = menuItemUnit(主机菜单, 2),
    全部启动 = menuItemUnit(主机菜单, 4),
    全部停止 = menuItemUnit(主机菜单, 5),
    启动 = menuItemUnit(主机菜单, 6),
    停止 = menuItemUnit(主机菜单, 7),
    不提醒此主机 = menuItemUnit(主机菜单, 8),  // checked while the current host is muted
    图表 = menuItemUnit(主机菜单, 10),
    清空日志 = menuItemUnit(日志菜单, 0),
    导出日志 = menuItemUnit(日志菜单, 1),  // "导出…"
    生成报告 = menuItemUnit(日志菜单, 2),
};
// The captions the program's state changes (their template captions are
// the other state's).
constexpr const char* kResumeAlertsCaption = "恢复提醒";
}  // namespace MainWin

Window& mainWindow();

// The re-layout rule on every client-size change: the tab control fills the
// client area less 8 pixels each side, the lists and the frame follow it.
void relayoutMainWindow();
