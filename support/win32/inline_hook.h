// Redirects one routine of this process to a detour by overwriting the first
// 5 bytes of its entry with a jump, and keeps a trampoline (the overwritten
// instructions, moved, followed by a jump back) through which the detour can
// still run the routine's own code. 32-bit x86 code only.
//
// Contract: no lock. install() and unhook() write 5 bytes of live code in two
// stores; call them while no other thread can be executing the entry (the
// crash guard hooks during start-up, before the program starts threads).
// callTrampoline() may run on any thread once the hook is in place.
//
// Generated code (trampoline, jump stub) lives in PAGE_EXECUTE_READWRITE
// blocks of its own. unhook(UnhookMode::Restore) frees them; a neutralised
// hook (UnhookMode::RestoreOrNeutralise, the destruction path) keeps them for
// the rest of the process, because another patch may still lead through them.
#pragma once

#include <cstdint>

// unhook's modes, by the numbers the hook's callers store.
namespace UnhookMode {
// Restore only when the entry's jump leads straight to the detour (someone
// rewrote it), else fail.
constexpr int RestoreIfDirect = 0;
// Always restore the entry's bytes and free stub and trampoline.
constexpr int Restore = 1;
// Restore as RestoreIfDirect would, else neutralise: the stub jumps to the
// trampoline, so calls through the patched entry reach the routine's own code.
constexpr int RestoreOrNeutralise = 2;
}  // namespace UnhookMode

// autoUnhook values: whether destruction unhooks (RestoreOrNeutralise).
namespace AutoUnhook {
constexpr int Off = 0, On = 1;
}  // namespace AutoUnhook

class InlineHook {
public:
    // autoUnhook non-zero: destruction calls unhook(UnhookMode::RestoreOrNeutralise).
    explicit InlineHook(int autoUnhook = AutoUnhook::Off) : autoUnhook_(autoUnhook) {}
    ~InlineHook();
    InlineHook(const InlineHook&) = delete;
    InlineHook& operator=(const InlineHook&) = delete;

    // The routine of an already loaded module (GetModuleHandleA, never
    // LoadLibrary), hooked without the object-pointer adapter.
    bool hookByName(const char* moduleName, const char* routineName, std::uintptr_t detour);
    bool hookAddress(std::uintptr_t entry, std::uintptr_t detour, bool adapter = false);

    // Fails when this object still hooks a routine (after RestoreIfDirect), when
    // entry or detour is not code, when the first instructions of the entry
    // cannot be moved (a short branch or near Jcc, undecodable, or the routine
    // ending - RET, JMP r/m - before 5 bytes are covered),
    // or when executable memory cannot be had. With adapter, the stub first
    // turns ECX (the object pointer of a member routine) into the detour's
    // first stack argument: FF 34 24 89 4C 24 04.
    bool install(std::uintptr_t entry, std::uintptr_t detour, bool adapter = false);

    // mode: an UnhookMode. Fails when nothing is hooked.
    bool unhook(int mode);

    // Calls the routine's own code with up to 12 argument words and returns
    // its 32-bit result; the stack is restored whether the routine pops its
    // arguments (stdcall) or leaves them (cdecl). 0 when nothing is hooked.
    std::uint32_t callTrampoline(std::uint32_t a1 = 0, std::uint32_t a2 = 0, std::uint32_t a3 = 0,
                                 std::uint32_t a4 = 0, std::uint32_t a5 = 0, std::uint32_t a6 = 0,
                                 std::uint32_t a7 = 0, std::uint32_t a8 = 0, std::uint32_t a9 = 0,
                                 std::uint32_t a10 = 0, std::uint32_t a11 = 0,
                                 std::uint32_t a12 = 0) const;

    std::uintptr_t target() const { return target_; }          // 0 when not hooked
    std::uintptr_t detour() const { return detour_; }
    int autoUnhook() const { return autoUnhook_; }
    void setAutoUnhook(int value) { autoUnhook_ = value; }
    std::uintptr_t stub() const { return stub_; }              // 0 when not hooked
    std::uintptr_t trampoline() const { return trampoline_; }  // 0 when not hooked
    int copiedLength() const { return copiedLength_; }

private:
    bool buildTrampoline(std::uintptr_t entry);
    bool patchEntry(std::uintptr_t entry, std::uintptr_t detour, bool adapter);
    void restoreEntry();
    void neutralise();

    std::uintptr_t target_ = 0;
    std::uintptr_t detour_ = 0;
    int autoUnhook_ = AutoUnhook::Off;
    std::uintptr_t stub_ = 0;
    std::uintptr_t trampoline_ = 0;
    int copiedLength_ = 0;
};
