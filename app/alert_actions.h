// The alerts' menu items and the settings window: "设置…", "暂停提醒 1 小时"
// (and "恢复提醒" while paused) on the tray menu, "不提醒此主机" on the host
// menu, and the settings window's fill and save.
// Threads: the user-interface thread only.
#pragma once

#include "runtime/text.h"

// The Run-key value that starts the program with Windows.
extern const char* const kAutostartValueName;

// Fills the slots still empty (a test program may have filled some), and
// makes "删除" forget the deleted hosts' mutes: call it after installHostActions.
void installAlertActions();
