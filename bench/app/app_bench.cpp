// app_bench N SECONDS: the program itself, started as the real one, on a
// database.db of N loopback hosts (127.x addresses all answer) that it
// makes in its run folder. Measures the time from process creation to the
// end of start-up (every row listed, every task started), then for SECONDS
// the status messages the user-interface thread handles per second and the
// time it spends in them; a rate that keeps up with the tasks' posting rate
// (about N per second) with timer ticks on time means the receiver's queue
// does not grow. Writes
// app_bench.txt in its folder and ends through the program's own exit.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/globals.h"
#include "app/main_actions.h"
#include "app/program.h"
#include "app/startup.h"
#include "monitor/stop_tokens.h"
#include "runtime/codepage.h"
#include "runtime/system.h"
#include "runtime/win32/list_view_commands.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "ui/actions.h"
#include "ui/main_window.h"

namespace {

int g_hosts = 2000;
int g_seconds = 30;
double g_startupMs = 0;
long long g_handled = 0;
double g_handlingMs = 0;
int g_ticks = 0;
LARGE_INTEGER g_frequency;

double msSince(const LARGE_INTEGER& from) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (now.QuadPart - from.QuadPart) * 1000.0 / g_frequency.QuadPart;
}

// Milliseconds since the process was created (the kernel's creation time).
double msSinceProcessCreation() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](FILETIME f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return (ticks(now) - ticks(created)) / 10000.0;
}

void note(const char* line) {
    if (FILE* f = std::fopen("app_bench.txt", "a")) {
        std::fputs(line, f);
        std::fclose(f);
    }
}

void makeDatabase() {
    const Text path = runDirectory() + "\\database.db";
    DeleteFileW(toWide(path).c_str());
    CreateDatabaseFile(path);
    SqliteDB db;
    db.open(path);
    db.beginTransaction();
    for (int id = 1; id <= g_hosts; ++id) {
        char sql[320];
        std::snprintf(sql, sizeof sql,
                      "INSERT INTO serverlist VALUES (%d, 'host %d', '127.%d.%d.%d', 0, 65280, 50, 65535, "
                      "200, 33023, 1000, 255, 1, 0, 0)",
                      id, id, id / 65536, id / 256 % 256, id % 256);
        db.execute(sql);
    }
    db.commitTransaction();
    db.close();
}

void startUp() {
    OnMainWindowCreated();
    g_startupMs = msSinceProcessCreation();
    char line[160];
    std::snprintf(line, sizeof line, "hosts %d, rows listed %d, tasks live %d, start-up %.0f ms\n", g_hosts,
                  itemCount(unitOf(mainWindow(), MainWin::超级列表框_通讯)), liveStopTokens(), g_startupMs);
    note(line);
}

int statusReport(int wParam, int lParam) {
    LARGE_INTEGER from;
    QueryPerformanceCounter(&from);
    ApplyStatusReport(wParam, lParam);
    const double ms = msSince(from);
    g_handlingMs += ms;
    ++g_handled;
    return 0;
}

// CPU time of the calling (user-interface) thread, ms.
double uiThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME f) { return ((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0; };
    return ms(kernel) + ms(user);
}

double g_cpuAtStart = -1;
long long g_handledAtStart = 0;
LARGE_INTEGER g_measureFrom, g_lastTick;
double g_maxTickGapMs = 0;

// The timer's message is made only when no posted message waits, so a
// tick that comes late is the receiver's queue not draining: its largest
// gap shows whether the user-interface thread keeps up.
void CALLBACK everySecond(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
    if (g_ticks > 3) g_maxTickGapMs = std::max(g_maxTickGapMs, msSince(g_lastTick));
    QueryPerformanceCounter(&g_lastTick);
    if (g_ticks == 3) {  // the first seconds are the tasks' ramp-up
        g_cpuAtStart = uiThreadCpuMs();
        g_handledAtStart = g_handled;
        g_measureFrom = g_lastTick;
        g_handlingMs = 0;
    }
    if (g_ticks < g_seconds) return;
    const double seconds = msSince(g_measureFrom) / 1000.0;
    const long long handled = g_handled - g_handledAtStart;
    char line[400];
    std::snprintf(line, sizeof line,
                  "after ramp-up: %lld status messages in %.1f s = %.0f/s for %d hosts; largest gap between "
                  "1 s timer ticks %.0f ms; UI thread CPU %.0f ms/s; wall time in the handler %.0f ms/s "
                  "(%.3f ms per message)\n",
                  handled, seconds, handled / seconds, g_hosts, g_maxTickGapMs,
                  (uiThreadCpuMs() - g_cpuAtStart) / seconds, g_handlingMs / seconds,
                  handled ? g_handlingMs / handled : 0.0);
    note(line);
    ExitProgram();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc > 1) g_hosts = _wtoi(argv[1]);
    if (argc > 2) g_seconds = _wtoi(argv[2]);
    QueryPerformanceFrequency(&g_frequency);
    if (argc > 3 && std::wstring(argv[3]) == L"make-db") {
        makeDatabase();
        return 0;
    }
    uiActions().startUp = startUp;
    uiActions().statusReport = statusReport;
    SetTimer(nullptr, 0, 1000, everySecond);
    runProgram();
}
