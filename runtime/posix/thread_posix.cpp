// Native threads behind Windows-like handles: a table maps each handle number
// to the thread's end state, so closing a handle twice or waiting on a
// forged one fails cleanly instead of touching freed memory.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <exception>
#include <thread>
#include <unordered_map>

#include "runtime/thread.h"

namespace {

// Linux keeps a nice value per thread: a couple of steps above its own is
// what Windows calls below normal.
constexpr int kBelowNormalSteps = 2;

struct ThreadEnd {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};

std::mutex g_tableMutex;
std::unordered_map<ThreadHandle, std::shared_ptr<ThreadEnd>> g_table;
ThreadHandle g_nextHandle = 4;  // multiples of 4, never 0, as Windows handles

std::shared_ptr<ThreadEnd> findEnd(ThreadHandle handle) {
    std::lock_guard<std::mutex> guard(g_tableMutex);
    auto it = g_table.find(handle);
    return it == g_table.end() ? nullptr : it->second;
}

ThreadHandle addHandle(std::shared_ptr<ThreadEnd> end) {
    std::lock_guard<std::mutex> guard(g_tableMutex);
    ThreadHandle handle = g_nextHandle;
    g_nextHandle += 4;
    g_table.emplace(handle, std::move(end));
    return handle;
}

void run(ThreadRoutine routine, std::uintptr_t argument, std::shared_ptr<ThreadEnd> end) {
    routine(argument);
    std::lock_guard<std::mutex> guard(end->mutex);
    end->done = true;
    end->ended.notify_all();
}

}  // namespace

bool startThread(ThreadRoutine routine, std::uintptr_t argument, ThreadHandle* handle) {
    if (handle) *handle = 0;
    if (!routine) return false;
    // The native build is 64-bit: the default stack reservation costs no
    // scarce address space here, and sanitizers need the larger frames.
    ThreadHandle added = 0;
    try {
        auto end = std::make_shared<ThreadEnd>();
        if (handle) added = addHandle(end);
        std::thread(run, routine, argument, std::move(end)).detach();
    } catch (const std::exception&) {  // no thread or no memory
        if (added) closeThreadHandle(added);
        return false;
    }
    if (handle) *handle = added;
    return true;
}

bool closeThreadHandle(ThreadHandle handle) {
    std::lock_guard<std::mutex> guard(g_tableMutex);
    return g_table.erase(handle) == 1;
}

bool waitThread(ThreadHandle handle, int timeoutMs) {
    std::shared_ptr<ThreadEnd> end = findEnd(handle);
    if (!end) return false;
    std::unique_lock<std::mutex> lock(end->mutex);
    if (timeoutMs < 0) {
        end->ended.wait(lock, [&] { return end->done; });
        return true;
    }
    return end->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return end->done; });
}

std::uintptr_t currentThreadId() { return static_cast<std::uintptr_t>(syscall(SYS_gettid)); }

void lowerCurrentThreadPriority() {
    const auto self = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, self);
    if (errno == 0) setpriority(PRIO_PROCESS, self, nice + kBelowNormalSteps);
}
