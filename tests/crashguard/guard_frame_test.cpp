// The guard record in-process: linking and unlinking at fs:[0], declining
// exceptions, and the shared registries and options.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <thread>

#include "crashguard/win32/crash_show.h"
#include "crashguard/win32/guard_frame.h"
#include "crashguard/win32/registry.h"

namespace {

int g_outerSeen = 0;
DWORD g_outerCode = 0;

// Stands for the handler outside the guard (the runtime's or the system's):
// takes what the guard declined and resumes after RaiseException.
EXCEPTION_DISPOSITION __cdecl outerHandler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    ++g_outerSeen;
    g_outerCode = record->ExceptionCode;
    return ExceptionContinueExecution;
}

// Options changed for one test and put back afterwards.
struct OptionsScope {
    OptionsScope() : saved(copyCrashGuardOptions()) {}
    ~OptionsScope() { setCrashGuardOptions(saved); }
    CrashGuardOptions saved;
};

__attribute__((noinline)) void raiseUnderGuard(DWORD code) {
    GuardFrame guard(guardFrameHandler);
    EXPECT_EQ(frameChainHead()->handler, reinterpret_cast<void*>(&guardFrameHandler));
    RaiseException(code, 0, 0, nullptr);
}

TEST(GuardFrame, DeclinedExceptionsReachTheNextHandler) {
    OptionsScope options;
    ExceptionRegistration* before = frameChainHead();
    {
        GuardFrame outer(outerHandler);
        g_outerSeen = 0;
        ASSERT_EQ(crashGuardOptions().reportEnabled, 0);  // the program's default
        raiseUnderGuard(0xE0001234);
        EXPECT_EQ(g_outerSeen, 1);
        EXPECT_EQ(g_outerCode, 0xE0001234u);

        // Switched on, a Visual C++ throw is still declined while ignoreMsvcThrow.
        crashGuardOptions().reportEnabled = 1;
        raiseUnderGuard(0xE06D7363);
        EXPECT_EQ(g_outerSeen, 2);
        EXPECT_EQ(g_outerCode, 0xE06D7363u);
    }
    EXPECT_EQ(frameChainHead(), before);
    ThreadContext* context = findThreadContext();
    if (context) {
        EXPECT_STREQ(context->reportText(), "");  // nothing stored
    }
}

TEST(GuardFrame, CxxExceptionLeavingTheScopeUnlinksTheRecord) {
    ExceptionRegistration* before = frameChainHead();
    try {
        GuardFrame guard(guardFrameHandler);
        throw 42;
    } catch (int) {
    }
    EXPECT_EQ(frameChainHead(), before);
}

TEST(GuardFrame, HandlerPassesUnwindsThrough) {
    EXCEPTION_RECORD record{};
    record.ExceptionCode = 0xC0000005;
    record.ExceptionFlags = EXCEPTION_UNWINDING;
    CONTEXT context{};
    OptionsScope options;
    crashGuardOptions().reportEnabled = 1;
    EXPECT_EQ(guardFrameHandler(&record, nullptr, &context, nullptr), ExceptionContinueSearch);
}

TEST(Registry, ProcessRegistryIsPublishedInTheEnvironment) {
    wchar_t name[64], value[64];
    std::swprintf(name, 64, L"__processStrMap_%lu", GetCurrentProcessId());
    StrMap& map = processStrMap();
    ASSERT_GT(GetEnvironmentVariableW(name, value, 64), 0u);
    EXPECT_EQ(std::wcstoul(value, nullptr, 10), reinterpret_cast<std::uintptr_t>(&map));
    // Options live in the shared record that the registry names: a change
    // made through one copy's pointer is what every copy reads.
    auto* shared = reinterpret_cast<CrashGuardOptions*>(map.get("_SEH.AppGlobalOption"));
    ASSERT_EQ(shared, &crashGuardOptions());
    OptionsScope options;
    shared->maxExportDistance = 77;
    EXPECT_EQ(crashGuardOptions().maxExportDistance, 77);
}

TEST(Registry, EachThreadHasItsOwnRegistryAndContext) {
    StrMap* mainMap = &threadStrMap();
    ThreadContext* mainContext = &threadContext();
    EXPECT_EQ(&threadContext(), mainContext);
    EXPECT_NE(processStrMap().get("__threadStrMap"), 0);  // slot index + 1
    StrMap* otherMap = nullptr;
    ThreadContext* otherContext = nullptr;
    std::thread([&] {
        otherMap = &threadStrMap();
        otherContext = &threadContext();
        otherMap->set("k", 5);
        destroyThreadContext();
        EXPECT_EQ(findThreadContext(), nullptr);
        destroyThreadStrMap();
    }).join();
    EXPECT_NE(otherMap, mainMap);
    EXPECT_NE(otherContext, mainContext);
    EXPECT_EQ(threadStrMap().get("k"), 0);
}

TEST(ExitAfterCrash, MainEntryPointComesFromTheHeaders) {
    auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_EQ(mainEntryPoint(),
              reinterpret_cast<std::uintptr_t>(base) + nt->OptionalHeader.AddressOfEntryPoint);
}

}  // namespace
