#include "ui/main_window.h"

#include <commctrl.h>

#include "runtime/win32/window_commands.h"
#include "ui/status_icons.h"

namespace {

using namespace MainWin;

const ListColumn kHostColumns[] = {
    {"备注名称", 150, LVCFMT_LEFT}, {"通讯地址", 200, LVCFMT_LEFT}, {"延时", 100, LVCFMT_RIGHT},
    {"通讯状态", 120, LVCFMT_LEFT}, {"异常/超时记录", 100, LVCFMT_CENTER}, {"平均时间", 100, LVCFMT_LEFT},
};
const ListColumn kLogColumns[] = {
    {"时间", 200, LVCFMT_LEFT}, {"名称", 150, LVCFMT_LEFT}, {"IP", 120, LVCFMT_LEFT},
    {"延时", 100, LVCFMT_LEFT}, {"状态", 100, LVCFMT_LEFT},
};

const char* const kTrayMenu[] = {"显示", "设置…", "报告…", "暂停提醒 1 小时", "-", "关于程序", "更多软件", "-", "退出"};
const char* const kHostMenu[] = {"添加", "修改", "删除", "-", "全部启动", "全部停止", "启动", "停止",
                                 "不提醒此主机", "-", "图表"};
const char* const kLogMenu[] = {"清空日志", "导出…", "生成报告…"};
const MenuTemplate kMenus[] = {
    {"程序", kTrayMenu, countOf(kTrayMenu)},
    {"菜单", kHostMenu, countOf(kHostMenu)},
    {"日志右键", kLogMenu, countOf(kLogMenu)},
};

const ControlTemplate kControls[] = {
    {.name = "选择夹_通讯", .kind = ControlKind::Tab, .container = 0, .page = -1, .left = 8, .top = 8,
     .width = 878, .height = 555, .text = "主机列表\n日志", .visible = true},
    {.name = "超级列表框_通讯", .kind = ControlKind::ReportList, .container = 选择夹_通讯, .page = 0,
     .left = 0, .top = 33, .width = 896, .height = 375, .visible = true, .columns = kHostColumns,
     .columnCount = 6, .attach = attachStatusIcons},
    {.name = "外形框1", .kind = ControlKind::Frame, .container = 选择夹_通讯, .page = 1, .left = 1,
     .top = 33, .width = 887, .height = 375, .visible = true},
    {.name = "选择框_时间", .kind = ControlKind::CheckBox, .container = 外形框1, .page = 1, .left = 31,
     .top = 7, .width = 64, .height = 24, .text = "时间：", .visible = true},
    {.name = "按钮_清空日志", .kind = ControlKind::Button, .container = 外形框1, .page = 1, .left = 795,
     .top = 3, .width = 80, .height = 32, .text = "清空日志", .visible = true},
    {.name = "日期框_开始日期", .kind = ControlKind::DatePicker, .container = 选择夹_通讯, .page = 1,
     .left = 88, .top = 40, .width = 160, .height = 24, .text = "yyyy-MM-dd HH:mm:ss", .visible = true},
    {.name = "标签3", .kind = ControlKind::Label, .container = 选择夹_通讯, .page = 1, .left = 252,
     .top = 40, .width = 16, .height = 24, .text = "至", .visible = true},
    {.name = "日期框_结束日期", .kind = ControlKind::DatePicker, .container = 选择夹_通讯, .page = 1,
     .left = 275, .top = 40, .width = 160, .height = 24, .text = "yyyy-MM-dd HH:mm:ss", .visible = true},
    {.name = "标签1", .kind = ControlKind::Label, .container = 选择夹_通讯, .page = 1, .left = 504,
     .top = 40, .width = 56, .height = 24, .text = "日志类型：", .visible = true,
     .style = SS_LEFTNOWORDWRAP},  // one line: the text fills its 56 pixels
    {.name = "组合框1", .kind = ControlKind::ComboList, .container = 选择夹_通讯, .page = 1, .left = 560,
     .top = 40, .width = 112, .height = 24, .text = "全部\n异常\n超时", .visible = true, .value = 0},
    {.name = "按钮_查询日志", .kind = ControlKind::Button, .container = 选择夹_通讯, .page = 1,
     .left = 680, .top = 36, .width = 80, .height = 32, .text = "查询", .visible = true},
    {.name = "超级列表框_日志", .kind = ControlKind::ReportList, .container = 选择夹_通讯, .page = 1,
     .left = 0, .top = 70, .width = 896, .height = 202, .visible = true, .columns = kLogColumns,
     .columnCount = 5},
    {.name = "标签_消息接收", .kind = ControlKind::Label, .container = 0, .page = -1, .left = 24,
     .top = 104, .width = 30, .height = 30, .text = "事件", .visible = false},
};

// No Esc and no default button: the main window only hides on a close
// request, and Enter in its lists and filters means nothing.
const WindowTemplate kMainWindow = {
    .title = "Qerno网络检测", .width = 900, .height = 600, .minimizeBox = true, .maximizeBox = true,
    .taskbar = true, .tabHeaderHeight = 30,
    .controls = kControls, .controlCount = countOf(kControls),
    .menus = kMenus, .menuCount = countOf(kMenus),
};

}  // namespace

Window& mainWindow() { return windowOf<kMainWindow>(); }

void relayoutMainWindow() {
    Window& w = mainWindow();
    int width = clientWidth(unitOf(w)), height = clientHeight(unitOf(w));
    ::Unit tab = unitOf(w, 选择夹_通讯);
    setProperty(tab, Property::Width, width - 16);
    setProperty(tab, Property::Height, height - 16);
    int tabWidth = clientWidth(tab), tabHeight = clientHeight(tab);
    setProperty(unitOf(w, 超级列表框_通讯), Property::Width, tabWidth);
    setProperty(unitOf(w, 超级列表框_通讯), Property::Height, tabHeight - 35);
    setProperty(unitOf(w, 外形框1), Property::Width, tabWidth - 2);
    setProperty(unitOf(w, 外形框1), Property::Height, tabHeight - 35);
    setProperty(unitOf(w, 超级列表框_日志), Property::Width, tabWidth);
    setProperty(unitOf(w, 超级列表框_日志), Property::Height, tabHeight - 75);
}
