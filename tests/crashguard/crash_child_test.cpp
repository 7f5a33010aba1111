// Real crashes in a child process (crash_child.exe) under the crash guard:
// the report each one produces, and how the process or thread ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "crashguard/hex_format.h"
#include "tests/e2e/helper/driver.h"

namespace {

struct ChildResult {
    DWORD exitCode = 0;
    std::string output;
};

ChildResult runChild(const char* scenario) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"crash_child.exe";
    std::wstring command = L"\"" + path + L"\" ";
    for (const char* p = scenario; *p; ++p) command += static_cast<wchar_t>(*p);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);  // Wine's own crash notes
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    ChildResult result;
    if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &si, &pi)) {
        ADD_FAILURE() << "cannot start crash_child.exe";
        return result;
    }
    CloseHandle(writeEnd);
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) result.output.append(buffer, n);
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(readEnd);
    return result;
}

// The child's first line: fault address, return address, module base.
struct Crash {
    unsigned at = 0, ret = 0, base = 0;
    std::string text;
};

Crash parse(const ChildResult& r) {
    Crash c;
    std::size_t eol = r.output.find('\n');
    if (eol == std::string::npos ||
        std::sscanf(r.output.c_str(), "at=%X ret=%X base=%X", &c.at, &c.ret, &c.base) != 3) {
        ADD_FAILURE() << "no crash report in: " << r.output;
        return c;
    }
    c.text = r.output.substr(eol + 1);
    return c;
}

std::string hex8(unsigned v) { return formatHex(v, 8).str(); }
std::string moduleLine(const Crash& c, unsigned address) {
    return "[crash_child.exe]+0x" + hexAuto(address - c.base).str() + "=" + hex8(address);
}

// Header, error lines, location, module-relative location and the analysis
// location (the faulting routine's return address), then the call stack
// beginning with the faulting routine and its caller.
std::string expectedHead(const Crash& c, const std::string& errorLines) {
    return "警告:程序发生错误\r\n" + errorLines + "发生位置:" + hex8(c.at) +
           "\r\n相对地址:[crash_child.exe]." + hex8(c.at - c.base) + "\r\n分析位置:" +
           hex8(c.ret) + "\r\nCallStack:\r\n " + moduleLine(c, c.at) + "\r\n  " +
           moduleLine(c, c.ret) + "\r\n";
}

TEST(CrashChild, DefaultOptionsDeclineEverything) {
    ChildResult r = runChild("default");
    // Wine's own notes on the unhandled fault may follow; no report may.
    EXPECT_EQ(r.output.find("base="), std::string::npos) << r.output;
    EXPECT_EQ(r.exitCode, 0xC0000005u);  // the system's own end of the process
}

TEST(CrashChild, HardwareFaultReports) {
    struct Case {
        const char* scenario;
        std::string errorLines;
    };
    const Case cases[] = {
        {"read", "错误信息:内存读取异常\r\n目标地址:00000000\r\n"},
        {"write", "错误信息:内存写入异常\r\n目标地址:00000010\r\n"},
        {"divide", "错误信息:非法除0异常\r\n"},
        {"int3", "错误信息:int3调试中断\r\n"},
        {"illegal", "错误信息:非法CPU指令\r\n"},
    };
    for (const Case& k : cases) {
        ChildResult r = runChild(k.scenario);
        EXPECT_EQ(r.exitCode, 0u) << k.scenario;
        Crash c = parse(r);
        std::string head = expectedHead(c, k.errorLines);
        if (std::string(k.scenario) == "int3") {
            // A breakpoint carries parameters (Windows one, Wine three), listed
            // after the analysis line; drop them to compare the rest.
            std::size_t params = c.text.find("错误参数1:00000000\r\n");
            std::size_t stack = c.text.find("CallStack:");
            ASSERT_NE(params, std::string::npos) << c.text;
            ASSERT_LT(params, stack);
            c.text.erase(params, stack - params);
        }
        EXPECT_EQ(c.text.substr(0, head.size()), head) << k.scenario << "\n" << c.text;
        EXPECT_NE(c.text.find(" [crash_child.exe]+0x"), std::string::npos);
        EXPECT_EQ(c.text.substr(c.text.size() - 2), "\r\n");
    }
}

TEST(CrashChild, RaisedExceptionsListTheirParameters) {
    ChildResult custom = runChild("custom");
    EXPECT_EQ(custom.exitCode, 0u);
    Crash c = parse(custom);
    std::string lines = "警告:程序发生错误\r\n错误代码:E0000001\r\n发生位置:";
    EXPECT_EQ(c.text.substr(0, lines.size()), lines);
    const std::string params = "错误参数1:00000011\r\n错误参数2:00000022\r\n错误参数3:00000033\r\nCallStack:\r\n";
    EXPECT_NE(c.text.find(params), std::string::npos) << c.text;

    ChildResult msvc = runChild("msvc");
    EXPECT_EQ(msvc.exitCode, 0u);
    Crash m = parse(msvc);
    EXPECT_NE(m.text.find("警告:程序发生错误\r\n错误信息:执行Virtual C++ throw()指令\r\n发生位置:"),
              std::string::npos);
    EXPECT_NE(m.text.find(params), std::string::npos);

    ChildResult ignored = runChild("msvc-ignored");
    EXPECT_EQ(ignored.output.find("base="), std::string::npos);
    EXPECT_EQ(ignored.exitCode, 0xE06D7363u);
}

TEST(CrashChild, CrashUnderRecordedTrayHandlerShowsCalleeThenHandler) {
    ChildResult r = runChild("tray");
    EXPECT_EQ(r.exitCode, 0u);
    Crash c = parse(r);
    std::string stack = "CallStack:\r\n " + moduleLine(c, c.at) + "\r\n  [" + hex8(c.ret) +
                        "]事件_托盘\r\n";
    ASSERT_GE(c.text.size(), stack.size());
    EXPECT_EQ(c.text.substr(c.text.size() - stack.size()), stack) << c.text;
}

TEST(CrashChild, StackOverflowReportHasNoHeader) {
    ChildResult r = runChild("overflow");
    EXPECT_EQ(r.exitCode, 0u);
    Crash c = parse(r);
    const std::string head = "错误信息:线程堆栈溢出异常\r\n发生位置:";
    EXPECT_EQ(c.text.substr(0, head.size()), head) << c.text;
}

TEST(CrashChild, FaultInsideTheCrashHandlingEndsThroughTheFatalGuard) {
    ChildResult r = runChild("fatal");
    EXPECT_EQ(r.exitCode, 0u);  // not the system's end with the fault's code
    EXPECT_EQ(r.output, "callback\n");
}

TEST(CrashChild, ThreadsStartBehindTheGuardAndKeysReadAsInstalled) {
    ChildResult r = runChild("threads");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.output,
              "own: guarded=1 exit=42\n"      // wrapper: parameter in, exit code out
              "other: guarded=0 exit=10\n"    // not the pseudo-handle: untouched
              "install=1 hook=1 registry=1 again=0\n");
}

// showMessageBox on: the report comes in a box captioned "程序异常：" owned
// by the crashing thread's window of the named class; once answered, the
// process ends with 0.
TEST(CrashChild, ReportBoxIsOwnedByTheNamedWindow) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"crash_child.exe";
    std::wstring command = L"\"" + path + L"\" box";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    const e2e::MessageBoxSeen seen = e2e::findMessageBox(L"\u7a0b\u5e8f\u5f02\u5e38\uff1a", pi.dwProcessId);
    EXPECT_NE(seen.box, nullptr);
    if (seen.box) {
        HWND owner = GetWindow(seen.box, GW_OWNER);
        wchar_t ownerClass[64] = {};
        GetClassNameW(owner, ownerClass, 64);
        EXPECT_EQ(std::wstring(ownerClass), L"QernoCrashOwner");
        EXPECT_NE(seen.text.find(L"\u9519\u8bef\u4fe1\u606f"), std::wstring::npos) << e2e::utf8(seen.text);  // 错误信息
        EXPECT_TRUE(e2e::answerMessageBox(seen.box, IDOK));
    }
    const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(pi.hProcess, 99);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_TRUE(ended);
    EXPECT_EQ(code, 0u);
}

// The wrapper keeps the exit code in ESI while it cleans up; its caller's
// ESI must come back unchanged (not the exit code 42).
TEST(CrashChild, ThreadStartWrapperKeepsItsCallersEsi) {
    ChildResult r = runChild("esi");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.output, "esi=5A5A1234\n");
}

TEST(CrashChild, ExitFaultingThreadOnly) {
    // The main thread's crash still ends the process (exit 0, before the
    // watchdog thread's exit code 3).
    ChildResult main = runChild("main-only");
    EXPECT_EQ(main.exitCode, 0u);
    // Another thread's crash ends only that thread.
    ChildResult thread = runChild("thread-only");
    EXPECT_EQ(thread.exitCode, 7u);
    EXPECT_NE(thread.output.find("错误信息:内存写入异常\r\n"), std::string::npos);
    EXPECT_NE(thread.output.find("main alive, thread exit 0\n"), std::string::npos) << thread.output;
}

}  // namespace
