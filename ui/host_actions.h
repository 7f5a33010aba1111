// The host menu "菜单" and the host dialog: add, edit, save, delete, and
// starting and stopping monitor tasks, on the rows of 超级列表框_通讯 (item
// data: the host's id) and table `serverlist`.
// The user-interface thread only; db is the program's connection.
#pragma once

#include <vector>

class SqliteDB;

void addHost();
void editHost(SqliteDB& db);
void saveHost(SqliteDB& db);
void deleteHosts(SqliteDB& db);
void startAllTasks();
void stopAllTasks();
void startSelectedTask();
void stopSelectedTask();

// The id of the host list's first selected row; 0 when none is selected.
int selectedHost();
// The ids of every row of the host list.
std::vector<int> listedHosts();

// The host the dialog edits: 0 while it adds one.
int editedHost();
