// Entry patching: jump stub, trampoline and the E9 jumps between them.
#include "support/win32/inline_hook.h"

#include <windows.h>

#include <cstring>

#include "support/x86_length.h"

// Pushes 12 argument words (the last one first), calls `routine` and puts the
// stack pointer back from EBP, so routines that pop their arguments (stdcall)
// and routines that leave them (cdecl) both return here cleanly.
extern "C" std::uint32_t qernoCallWithWords(std::uintptr_t routine, const std::uint32_t* words);
__asm__(
    ".text\n"
    ".globl _qernoCallWithWords\n"
    "_qernoCallWithWords:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    movl 8(%ebp), %esi\n"
    "    movl 12(%ebp), %edi\n"
    "    movl $12, %ecx\n"
    "1:  pushl -4(%edi,%ecx,4)\n"
    "    loop 1b\n"
    "    call *%esi\n"
    "    leal -12(%ebp), %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n");

namespace {

constexpr int kJumpLength = 5;  // E9 + rel32
// push [esp] / mov [esp+4], ecx: the return address moves down one slot and
// the object pointer of a member routine takes the first argument's place.
constexpr std::uint8_t kAdapter[] = {0xFF, 0x34, 0x24, 0x89, 0x4C, 0x24, 0x04};
// Room for the instructions covering the first 5 bytes: 4 bytes + one of 15.
constexpr int kMaxCopied = 4 + static_cast<int>(kMaxInstructionLength);

std::uint8_t* bytesAt(std::uintptr_t address) { return reinterpret_cast<std::uint8_t*>(address); }

bool isCode(std::uintptr_t address) {
    return address != 0 && !IsBadCodePtr(reinterpret_cast<FARPROC>(address));
}

std::uintptr_t allocCode(int size) {
    return reinterpret_cast<std::uintptr_t>(
        VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
}

void freeCode(std::uintptr_t block) {
    if (block != 0) VirtualFree(reinterpret_cast<void*>(block), 0, MEM_RELEASE);
}

void flush(std::uintptr_t address, int size) {
    FlushInstructionCache(GetCurrentProcess(), reinterpret_cast<void*>(address), size);
}

// E9 rel32 at `at`, stored as the 32-bit value 0xE9 followed by the 32-bit
// displacement at at + 1.
void writeJump(std::uintptr_t at, std::uintptr_t destination) {
    const std::uint32_t opcode = 0xE9;
    const std::uint32_t displacement = static_cast<std::uint32_t>(destination - (at + kJumpLength));
    std::memcpy(bytesAt(at), &opcode, 4);
    std::memcpy(bytesAt(at + 1), &displacement, 4);
}

// 0 when the bytes at `at` are not a jump.
std::uintptr_t jumpDestination(std::uintptr_t at) {
    if (bytesAt(at)[0] != 0xE9) return 0;
    std::int32_t displacement;
    std::memcpy(&displacement, bytesAt(at + 1), 4);
    return at + kJumpLength + static_cast<std::uint32_t>(displacement);
}

// The opcode after any legacy prefixes (the instruction is already decoded,
// so its bytes are there).
const std::uint8_t* opcodeOf(const std::uint8_t* code) {
    for (;;) {
        switch (*code) {
        case 0xF0: case 0xF2: case 0xF3: case 0x26: case 0x2E: case 0x36:
        case 0x3E: case 0x64: case 0x65: case 0x66: case 0x67:
            ++code;
            continue;
        default:
            return code;
        }
    }
}

// A short branch cannot reach its target from the trampoline, a near Jcc is
// not re-aimed, and a 16-bit relative call/jump (66 E8/E9) would be
// re-aimed wrongly: such an entry is refused.
bool isMovable(const std::uint8_t* code) {
    const std::uint8_t* op = opcodeOf(code);
    if ((*op >= 0x70 && *op <= 0x7F) || (*op >= 0xE0 && *op <= 0xE3) || *op == 0xEB) return false;
    if (*op == 0x0F && op[1] >= 0x80 && op[1] <= 0x8F) return false;
    if ((*op == 0xE8 || *op == 0xE9) && op != code) return false;
    return true;
}

// The routine ends here (RET, RETF, IRET, JMP r/m, JMP far): patching 5 bytes
// would overwrite whatever follows it, so the entry is refused.
bool endsRoutine(const std::uint8_t* code) {
    const std::uint8_t* op = opcodeOf(code);
    switch (*op) {
    case 0xC2: case 0xC3: case 0xCA: case 0xCB: case 0xCF: case 0xEA:
        return true;
    case 0xFF: {
        const int reg = (op[1] >> 3) & 7;
        return reg == 4 || reg == 5;
    }
    default:
        return false;
    }
}

// Adds `delta` to the rel32 of every E8/E9 among the `length` bytes of whole
// instructions at `code`.
void reaimRelative(std::uint8_t* code, int length, std::uintptr_t delta) {
    for (int at = 0; at < length;) {
        const int n = decodeInstructionLength(code + at);
        if (n == 0) return;
        if (code[at] == 0xE8 || code[at] == 0xE9) {
            std::uint32_t displacement;
            std::memcpy(&displacement, code + at + 1, 4);
            displacement += static_cast<std::uint32_t>(delta);
            std::memcpy(code + at + 1, &displacement, 4);
        }
        at += n;
    }
}

// Opens 5 bytes of the entry for writing. The old protection is kept off on
// purpose: unhook writes there again. Copy-on-write suits image pages; a
// routine in private memory (generated code) takes plain read-write.
bool makeWritable(std::uintptr_t entry) {
    DWORD old;
    void* at = reinterpret_cast<void*>(entry);
    return VirtualProtect(at, kJumpLength, PAGE_EXECUTE_WRITECOPY, &old) ||
           VirtualProtect(at, kJumpLength, PAGE_EXECUTE_READWRITE, &old);
}

}  // namespace

InlineHook::~InlineHook() {
    if (autoUnhook_ != AutoUnhook::Off) unhook(UnhookMode::RestoreOrNeutralise);
}

bool InlineHook::hookByName(const char* moduleName, const char* routineName, std::uintptr_t detour) {
    HMODULE module = GetModuleHandleA(moduleName);
    if (module == nullptr) return false;  // GetProcAddress(NULL) would search the exe
    const auto entry = reinterpret_cast<std::uintptr_t>(GetProcAddress(module, routineName));
    return install(entry, detour, false);
}

bool InlineHook::hookAddress(std::uintptr_t entry, std::uintptr_t detour, bool adapter) {
    return install(entry, detour, adapter);
}

bool InlineHook::install(std::uintptr_t entry, std::uintptr_t detour, bool adapter) {
    unhook(UnhookMode::RestoreIfDirect);
    if (stub_ != 0 || trampoline_ != 0) return false;  // one routine per object
    if (!isCode(entry) || !isCode(detour)) return false;
    if (!buildTrampoline(entry)) return false;
    if (!patchEntry(entry, detour, adapter)) {
        freeCode(trampoline_);
        trampoline_ = 0;
        return false;
    }
    target_ = entry;
    detour_ = detour;
    return true;
}

bool InlineHook::buildTrampoline(std::uintptr_t entry) {
    int taken = 0;
    while (taken < kJumpLength) {
        const std::uint8_t* code = bytesAt(entry + taken);
        const int n = decodeInstructionLength(code);
        if (n == 0 || !isMovable(code) || endsRoutine(code)) return false;
        taken += n;
    }
    const std::uintptr_t trampoline = allocCode(taken + kJumpLength);
    if (trampoline == 0) return false;
    std::memcpy(bytesAt(trampoline), bytesAt(entry), taken);
    // Every copied instruction starts within the first 5 bytes.
    reaimRelative(bytesAt(trampoline), taken, entry - trampoline);
    writeJump(trampoline + taken, entry + taken);
    flush(trampoline, taken + kJumpLength);
    trampoline_ = trampoline;
    copiedLength_ = taken;
    return true;
}

bool InlineHook::patchEntry(std::uintptr_t entry, std::uintptr_t detour, bool adapter) {
    const int adapterLength = adapter ? static_cast<int>(sizeof kAdapter) : 0;
    if (!makeWritable(entry)) return false;
    const std::uintptr_t stub = allocCode(adapterLength + kJumpLength);
    if (stub == 0) return false;
    std::memcpy(bytesAt(stub), kAdapter, adapterLength);
    writeJump(stub + adapterLength, detour);
    flush(stub, adapterLength + kJumpLength);
    writeJump(entry, stub);
    flush(entry, kJumpLength);
    stub_ = stub;
    return true;
}

bool InlineHook::unhook(int mode) {
    if (!isCode(stub_) || !isCode(trampoline_)) return false;
    if (jumpDestination(target_) == detour_ || mode == UnhookMode::Restore) {
        restoreEntry();
    } else if (mode == UnhookMode::RestoreOrNeutralise) {
        neutralise();
    } else {
        return false;
    }
    flush(target_, kJumpLength);
    target_ = 0;
    detour_ = 0;
    stub_ = 0;
    trampoline_ = 0;
    return true;
}

// The trampoline's copy, its calls and jumps aimed back from the entry, goes
// back over the entry; stub and trampoline are freed. Only the 5 patched
// bytes are written: they are all that was made writable, and the copied
// instructions past them never changed (they may lie on a read-only page).
void InlineHook::restoreEntry() {
    std::uint8_t original[kMaxCopied];
    std::memcpy(original, bytesAt(trampoline_), copiedLength_);
    reaimRelative(original, copiedLength_, trampoline_ - target_);
    makeWritable(target_);
    std::memcpy(bytesAt(target_), original, kJumpLength);
    freeCode(stub_);
    freeCode(trampoline_);
}

// The entry keeps its jump to the stub; the stub now leads to the routine's
// own code. Both blocks stay allocated for the rest of the process.
void InlineHook::neutralise() {
    writeJump(stub_, trampoline_);
    flush(stub_, kJumpLength);
}

std::uint32_t InlineHook::callTrampoline(std::uint32_t a1, std::uint32_t a2, std::uint32_t a3,
                                         std::uint32_t a4, std::uint32_t a5, std::uint32_t a6,
                                         std::uint32_t a7, std::uint32_t a8, std::uint32_t a9,
                                         std::uint32_t a10, std::uint32_t a11,
                                         std::uint32_t a12) const {
    if (!isCode(trampoline_)) return 0;
    const std::uint32_t words[12] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12};
    return qernoCallWithWords(trampoline_, words);
}
