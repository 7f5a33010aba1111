#include "crashguard/win32/registry.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kThreadStrMapKey = "__threadStrMap";
constexpr const char* kOptionsKey = "_SEH.AppGlobalOption";
constexpr const char* kThreadContextKey = "_SEH.m_threadContext";

// Serialises the first allocation of a shared TLS slot: two threads that
// both read 0 would otherwise each allocate one and the later write wins.
LONG g_slotLock = 0;

void lockSlots() {
    while (InterlockedCompareExchange(&g_slotLock, 1, 0) != 0) Sleep(0);
}
void unlockSlots() { InterlockedExchange(&g_slotLock, 0); }

}  // namespace

StrMap& processStrMap() {
    static StrMap* map = nullptr;
    if (map) return *map;
    wchar_t name[64];
    swprintf(name, 64, L"__processStrMap_%lu", GetCurrentProcessId());
    wchar_t value[64] = {};
    DWORD n = GetEnvironmentVariableW(name, value, 64);
    std::uintptr_t address = (n > 0 && n < 64) ? std::wcstoul(value, nullptr, 10) : 0;
    if (address == 0) {
        map = new StrMap();  // lives as long as the process
        swprintf(value, 64, L"%lu", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(map)));
        SetEnvironmentVariableW(name, value);
    } else {
        map = reinterpret_cast<StrMap*>(address);
    }
    return *map;
}

unsigned long sharedTlsSlot(const char* key) {
    StrMap& process = processStrMap();
    auto slot = static_cast<unsigned long>(process.get(key));
    if (slot != 0) return slot;
    lockSlots();
    slot = static_cast<unsigned long>(process.get(key));
    if (slot == 0) {
        DWORD index = TlsAlloc();
        if (index != TLS_OUT_OF_INDEXES) {
            slot = index + 1;  // index 0 is a valid slot, 0 means "none"
            process.set(key, static_cast<std::intptr_t>(slot));
        }
    }
    unlockSlots();
    return slot;
}

StrMap& threadStrMap() {
    unsigned long slot = sharedTlsSlot(kThreadStrMapKey);
    auto* map = slot ? static_cast<StrMap*>(TlsGetValue(slot - 1)) : nullptr;
    if (!map) {
        map = new StrMap();
        if (slot) TlsSetValue(slot - 1, map);
    }
    return *map;
}

void destroyThreadStrMap() {
    unsigned long slot = static_cast<unsigned long>(processStrMap().get(kThreadStrMapKey));
    if (slot == 0) return;
    delete static_cast<StrMap*>(TlsGetValue(slot - 1));
    TlsSetValue(slot - 1, nullptr);
}

CrashGuardOptions& crashGuardOptions() {
    static CrashGuardOptions* options = nullptr;
    if (options) return *options;
    StrMap& process = processStrMap();
    auto* record = reinterpret_cast<CrashGuardOptions*>(process.get(kOptionsKey));
    if (!record) {
        // Shared with other copies of the crash guard: never freed.
        record = static_cast<CrashGuardOptions*>(std::calloc(1, sizeof(CrashGuardOptions)));
        process.set(kOptionsKey, reinterpret_cast<std::intptr_t>(record));
    }
    applyDefaultOptions(*record);
    options = record;
    return *options;
}

CrashGuardOptions copyCrashGuardOptions() { return crashGuardOptions(); }

void setCrashGuardOptions(const CrashGuardOptions& options) { crashGuardOptions() = options; }

ThreadContext* findThreadContext() {
    unsigned long slot = static_cast<unsigned long>(processStrMap().get(kThreadStrMapKey));
    if (slot == 0) return nullptr;
    auto* map = static_cast<StrMap*>(TlsGetValue(slot - 1));
    return map ? reinterpret_cast<ThreadContext*>(map->get(kThreadContextKey)) : nullptr;
}

ThreadContext& threadContext() {
    if (ThreadContext* context = findThreadContext()) return *context;
    auto* context = new ThreadContext();
    threadStrMap().set(kThreadContextKey, reinterpret_cast<std::intptr_t>(context));
    return *context;
}

void destroyThreadContext() {
    ThreadContext* context = findThreadContext();
    if (!context) return;
    threadStrMap().set(kThreadContextKey, 0);
    delete context;
}
