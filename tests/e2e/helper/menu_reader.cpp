#include "tests/e2e/helper/menu_reader.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "tests/e2e/helper/remote_buffer.h"

namespace e2e {
namespace {

// MN_GETHMENU is not in MinGW's headers: the menu window's own handle query.
constexpr UINT kMenuHandleQuery = 0x01E1;
constexpr int kCallTimeoutMs = 5000;
constexpr int kMaxItemChars = 256;
constexpr std::uint32_t kNoSuchItem = 0xFFFFFFFFu;  // GetMenuState's failure

// A machine word of the menu process, which has this helper's width (both
// 32-bit, or both the 64-bit stand-in build).
using Word = std::uintptr_t;

// The block the code below reads: a routine and up to five argument words.
struct CallBlock {
    Word routine;
    Word count;
    Word words[5];
};

#ifndef _WIN64
// The thread routine (stdcall, one argument: the CallBlock): pushes the
// words last first, calls the routine and returns its result, which becomes
// the thread's exit code. EBP keeps the stack whether the routine pops its
// arguments (stdcall) or not.
constexpr std::uint8_t kCallCode[] = {
    0x55,                    // push ebp
    0x8B, 0xEC,              // mov ebp, esp
    0x8B, 0x45, 0x08,        // mov eax, [ebp+8]           the CallBlock
    0x8B, 0x48, 0x04,        // mov ecx, [eax+4]           count
    0x85, 0xC9,              // next: test ecx, ecx
    0x74, 0x07,              // jz call
    0xFF, 0x74, 0x88, 0x04,  // push dword [eax+ecx*4+4]   words[ecx-1]
    0x49,                    // dec ecx
    0xEB, 0xF5,              // jmp next
    0xFF, 0x10,              // call: call dword [eax]     routine
    0x8B, 0xE5,              // mov esp, ebp
    0x5D,                    // pop ebp
    0xC2, 0x04, 0x00,        // ret 4
};
#else
// The same for the 64-bit calling convention (the CallBlock in RCX): the
// first four words go in RCX, RDX, R8 and R9, the fifth on the stack above
// the 32 bytes of shadow space; words past the count are passed but unused.
// The stack stays 16-byte aligned at the call.
constexpr std::uint8_t kCallCode[] = {
    0x53,                          // push rbx
    0x48, 0x89, 0xCB,              // mov rbx, rcx               the CallBlock
    0x48, 0x83, 0xEC, 0x30,        // sub rsp, 48
    0x48, 0x8B, 0x43, 0x30,        // mov rax, [rbx+48]          words[4]
    0x48, 0x89, 0x44, 0x24, 0x20,  // mov [rsp+32], rax
    0x48, 0x8B, 0x4B, 0x10,        // mov rcx, [rbx+16]          words[0]
    0x48, 0x8B, 0x53, 0x18,        // mov rdx, [rbx+24]          words[1]
    0x4C, 0x8B, 0x43, 0x20,        // mov r8, [rbx+32]           words[2]
    0x4C, 0x8B, 0x4B, 0x28,        // mov r9, [rbx+40]           words[3]
    0xFF, 0x13,                    // call [rbx]                 routine
    0x48, 0x83, 0xC4, 0x30,        // add rsp, 48
    0x5B,                          // pop rbx
    0xC3,                          // ret
};
static_assert(offsetof(CallBlock, words) == 16, "the code reads the words from offset 16");
#endif

// Where each piece lives in the remote block.
constexpr size_t kCodeAt = 0;
constexpr size_t kBlockAt = 64;
constexpr size_t kTextAt = 128;
constexpr size_t kRemoteSize = kTextAt + kMaxItemChars * sizeof(wchar_t);
static_assert(sizeof kCallCode <= kBlockAt - kCodeAt, "the code overlaps the call block");
static_assert(kBlockAt + sizeof(CallBlock) <= kTextAt, "the call block overlaps the text");

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~ScopedHandle() { if (h_) CloseHandle(h_); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Where user32 is loaded in process pid (0 when not found). The routines are
// found at the same offsets from it as in this process: the same system file.
std::uintptr_t user32In(DWORD pid) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    if (!snapshot.get()) return 0;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot.get(), &module); more; more = Module32NextW(snapshot.get(), &module)) {
        if (_wcsicmp(module.szModule, L"user32.dll") == 0) return reinterpret_cast<std::uintptr_t>(module.modBaseAddr);
    }
    return 0;
}

// Calls user32 routines in the process of a window.
class RemoteCaller {
public:
    explicit RemoteCaller(HWND window) : remote_(window, kRemoteSize, PAGE_EXECUTE_READWRITE) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        base_ = user32In(pid);
        if (remote_.valid()) remote_.write(kCodeAt, kCallCode, sizeof kCallCode);
    }
    ~RemoteCaller() {
        if (stuck_) remote_.keep();
    }
    RemoteCaller(const RemoteCaller&) = delete;
    RemoteCaller& operator=(const RemoteCaller&) = delete;

    bool valid() const { return remote_.valid() && base_ != 0 && !stuck_; }
    // The word where the text buffer lies in the other process.
    Word textBuffer() const { return address(kTextAt); }

    // False when the routine is unknown or the thread could not run.
    bool call(const char* routine, std::initializer_list<Word> words, std::uint32_t* result) {
        HMODULE local = GetModuleHandleW(L"user32.dll");
        auto entry = reinterpret_cast<std::uintptr_t>(GetProcAddress(local, routine));
        if (!valid() || entry == 0 || words.size() > 5) return false;
        CallBlock block{entry - reinterpret_cast<std::uintptr_t>(local) + base_, words.size(), {}};
        std::copy(words.begin(), words.end(), block.words);
        if (!remote_.write(kBlockAt, &block, sizeof block)) return false;
        ScopedHandle thread(CreateRemoteThread(remote_.process(), nullptr, 0,
                                               reinterpret_cast<LPTHREAD_START_ROUTINE>(remote_.at(kCodeAt)),
                                               remote_.at(kBlockAt), 0, nullptr));
        if (!thread.get()) return false;
        if (WaitForSingleObject(thread.get(), kCallTimeoutMs) != WAIT_OBJECT_0) {
            stuck_ = true;
            return false;
        }
        DWORD code = 0;
        GetExitCodeThread(thread.get(), &code);
        *result = code;
        return true;
    }

    std::wstring text(std::uint32_t length) {
        wchar_t buffer[kMaxItemChars] = {};
        if (length >= kMaxItemChars || !remote_.read(kTextAt, buffer, (length + 1) * sizeof(wchar_t))) return {};
        return std::wstring(buffer, length);
    }

private:
    Word address(size_t offset) const { return reinterpret_cast<Word>(remote_.at(offset)); }

    RemoteBuffer remote_;
    std::uintptr_t base_ = 0;
    bool stuck_ = false;  // a thread still runs the code: the block must stay
};

}  // namespace

std::vector<std::wstring> readMenuItems(HWND menuWindow) {
    auto menu = static_cast<Word>(SendMessageW(menuWindow, kMenuHandleQuery, 0, 0));
    if (menu == 0) return {};
    RemoteCaller caller(menuWindow);
    std::uint32_t count = 0;
    if (!caller.call("GetMenuItemCount", {menu}, &count) || static_cast<int>(count) < 0) return {};
    std::vector<std::wstring> items;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t state = 0, length = 0;
        if (!caller.call("GetMenuState", {menu, i, MF_BYPOSITION}, &state) || state == kNoSuchItem) return {};
        if (state & MF_SEPARATOR) {
            items.push_back(L"-");
            continue;
        }
        if (!caller.call("GetMenuStringW", {menu, i, caller.textBuffer(), kMaxItemChars, MF_BYPOSITION}, &length))
            return {};
        items.push_back(caller.text(length));
    }
    return items;
}

}  // namespace e2e
