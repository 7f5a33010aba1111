// monitor_bench N SECONDS: monitors N hosts on loopback (127.0.x.y, all of
// which answer) through TaskControl for SECONDS and prints one line:
// hosts, cycles, CPU seconds, CPU per probe, peak memory, peak threads and
// the per-host cycle period (median, p99, max) over every answering cycle.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "monitor/monitor_context.h"
#include "monitor/report_mailbox.h"
#include "monitor/stop_tokens.h"
#include "monitor/task_control.h"
#include "monitor/task_messages.h"
#include "runtime/handoff_block.h"
#include "runtime/ui_post.h"
#include "store/schema.h"
#include "store/sqlite_db.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#else
#include <sys/resource.h>
#include <fstream>
#include <string>
#endif

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
#ifdef _WIN32
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto s = [](FILETIME f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 1e7; };
    return s(k) + s(u);
#else
    rusage r;
    getrusage(RUSAGE_SELF, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
#endif
}

double peakMemoryMb() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS pmc{};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize / 1048576.0;
#else
    rusage r;
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss / 1024.0;
#endif
}

int threadCount() {
#ifdef _WIN32
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    int n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    CloseHandle(snap);
    return n;
#else
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
    return 0;
#endif
}

// Hands each report a message brings to sink.
template <typename Sink>
void sinkReports(std::uintptr_t wParam, std::intptr_t lParam, Sink& sink) {
    for (std::uintptr_t block : reportsOf(wParam, lParam, monitorReports()))
        sink(decodeTaskStatus(takeHandoffBlock(block)));
}

// Drains status messages until `until`; calls sink(message) for each.
template <typename Sink>
void drain(UiReceiver receiver, Clock::time_point until, Sink sink) {
#ifdef _WIN32
    HWND window = reinterpret_cast<HWND>(receiver);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, window, kStatusReportMessage, kStatusReportMessage, PM_REMOVE))
            sinkReports(msg.wParam, msg.lParam, sink);
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left, 200)), QS_POSTMESSAGE);
    }
#else
    auto* queue = reinterpret_cast<UiQueue*>(receiver);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return;
        UiMessage m;
        if (queue->take(m, static_cast<int>(std::min<long long>(left, 200)))) sinkReports(m.wParam, m.lParam, sink);
    }
#endif
}

double percentile(std::vector<double>& v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    const int hosts = argc > 1 ? std::atoi(argv[1]) : 100;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
    const char* path = "monitor_bench.db";
    std::remove(path);
    SqliteDB db;
    if (!CreateDatabaseFile(path) || !db.open(path)) return 1;
    db.execute("BEGIN");
    for (int id = 1; id <= hosts; ++id) {
        char sql[300];
        std::snprintf(sql, sizeof sql,
                      "INSERT INTO serverlist VALUES (%d, 'h%d', '127.%d.%d.%d', 30, 1, 100, 2, 200, 3,"
                      " 500, 4, 1, 0, 0)", id, id, id / 65536, id / 256 % 256, id % 256);
        db.execute(sql);
    }
    db.execute("COMMIT");
#ifdef _WIN32
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const UiReceiver receiver = reinterpret_cast<UiReceiver>(window);
#else
    UiQueue queue;
    const UiReceiver receiver = queue.receiver();
#endif
    setMonitorDatabase(&db);
    setMonitorReceiver(receiver);

    for (int id = 1; id <= hosts; ++id) TaskControl(id, taskStart);
    // Let every task start before measuring: CPU and periods of the steady state.
    drain(receiver, Clock::now() + std::chrono::seconds(3), [](const TaskStatusMessage&) {});
    const double cpuStart = cpuSeconds();
    const Clock::time_point start = Clock::now();
    std::vector<Clock::time_point> last(hosts + 1);
    std::vector<double> periods;
    long long cycles = 0, failures = 0;
    int peakThreads = 0;
    Clock::time_point nextCount = start;
    drain(receiver, start + std::chrono::seconds(seconds), [&](const TaskStatusMessage& m) {
        const Clock::time_point now = Clock::now();
        if (m.hostId < 1 || m.hostId > hosts) return;
        ++cycles;
        if (m.status != 0) { ++failures; last[m.hostId] = Clock::time_point(); return; }
        if (last[m.hostId] != Clock::time_point())
            periods.push_back(std::chrono::duration<double>(now - last[m.hostId]).count());
        last[m.hostId] = now;
        if (now >= nextCount) { peakThreads = std::max(peakThreads, threadCount()); nextCount = now + std::chrono::seconds(5); }
    });
    const double cpu = cpuSeconds() - cpuStart;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    for (int id = 1; id <= hosts; ++id) TaskControl(id, taskStop);
    for (int i = 0; i < 50 && liveStopTokens() > 0; ++i)
        drain(receiver, Clock::now() + std::chrono::milliseconds(100), [](const TaskStatusMessage&) {});
    const double p50 = percentile(periods, 0.50), p99 = percentile(periods, 0.99);
    const double max = periods.empty() ? 0 : periods.back();
    std::printf("hosts=%d seconds=%.1f cycles=%lld failed=%lld cpu_s=%.2f cpu_us_per_probe=%.1f "
                "peak_mem_mb=%.1f peak_threads=%d period_median_s=%.3f period_p99_s=%.3f period_max_s=%.3f\n",
                hosts, wall, cycles, failures, cpu, cycles ? cpu / cycles * 1e6 : 0.0, peakMemoryMb(),
                peakThreads, p50, p99, max);
    setMonitorReceiver(0);
    setMonitorDatabase(nullptr);
    db.close();
    std::remove(path);
    return 0;
}
