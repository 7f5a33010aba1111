// InlineHook on routines of this test: hand-made prologues in an executable
// block, and one compiled function.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "support/win32/inline_hook.h"
#include "tests/hooks/code_block.h"

namespace {

// The names only spell the hook's numbering; the numbers themselves stay fixed.
static_assert(UnhookMode::RestoreIfDirect == 0 && UnhookMode::Restore == 1 &&
              UnhookMode::RestoreOrNeutralise == 2 && AutoUnhook::On == 1);

using Add = int(__cdecl*)(int, int);

// a + b, in the shapes the trampoline has to deal with.
const std::vector<std::uint8_t> kHotPatchAdd = {  // mov edi,edi; push ebp; mov ebp,esp
    0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x8B, 0x45, 0x08, 0x03, 0x45, 0x0C, 0x5D, 0xC3};
const std::vector<std::uint8_t> kSixByteFirstAdd = {  // sub esp,0 (6 bytes) first
    0x81, 0xEC, 0x00, 0x00, 0x00, 0x00, 0x8B, 0x44, 0x24, 0x04, 0x03, 0x44, 0x24, 0x08, 0xC3};

InlineHook* gHook = nullptr;

int __cdecl addDetour(int a, int b) {
    return 1000 + static_cast<int>(gHook->callTrampoline(a, b));
}

extern "C" __attribute__((noinline, noclone)) int __cdecl compiledAdd(int a, int b) {
    volatile int sum = a + b;  // keeps a body longer than the 5 patched bytes
    return sum;
}

class InlineHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(code.valid());
        gHook = &hook;
    }
    void TearDown() override { gHook = nullptr; }

    static int call(std::uintptr_t routine, int a, int b) {
        return reinterpret_cast<Add>(routine)(a, b);
    }

    CodeBlock code;
    InlineHook hook;
};

TEST_F(InlineHookTest, CompiledFunctionRunsThroughDetourAndTrampoline) {
    Add volatile direct = compiledAdd;
    const auto entry = reinterpret_cast<std::uintptr_t>(direct);
    const std::vector<std::uint8_t> before = bytesAt(entry, 16);

    ASSERT_TRUE(hook.hookAddress(entry, reinterpret_cast<std::uintptr_t>(&addDetour)));
    EXPECT_EQ(hook.target(), entry);
    EXPECT_GE(hook.copiedLength(), 5);
    EXPECT_EQ(direct(2, 3), 1005);
    EXPECT_EQ(hook.callTrampoline(2, 3), 5u);

    ASSERT_TRUE(hook.unhook(UnhookMode::Restore));
    EXPECT_EQ(bytesAt(entry, 16), before);
    EXPECT_EQ(direct(2, 3), 5);
}

TEST_F(InlineHookTest, CopiesWholeInstructionsCoveringFiveBytes) {
    const struct {
        const std::vector<std::uint8_t>* routine;
        int copied;
    } cases[] = {{&kHotPatchAdd, 5}, {&kSixByteFirstAdd, 6}};
    for (const auto& c : cases) {
        InlineHook h;
        gHook = &h;
        const std::uintptr_t entry = code.put(*c.routine);
        ASSERT_TRUE(h.install(entry, reinterpret_cast<std::uintptr_t>(&addDetour), false));
        EXPECT_EQ(h.copiedLength(), c.copied);
        EXPECT_EQ(jumpTarget(entry), h.stub());
        EXPECT_EQ(jumpTarget(h.stub()), reinterpret_cast<std::uintptr_t>(&addDetour));
        EXPECT_EQ(jumpTarget(h.trampoline() + c.copied), entry + c.copied);
        EXPECT_EQ(call(entry, 20, 22), 1042);
        EXPECT_EQ(h.callTrampoline(20, 22), 42u);
        EXPECT_TRUE(h.unhook(UnhookMode::Restore));
    }
}

TEST_F(InlineHookTest, RefusesEntriesItCannotMove) {
    const std::vector<std::vector<std::uint8_t>> refused = {
        {0x74, 0x00, 0x8B, 0x44, 0x24, 0x04, 0xC3},                    // je rel8 first
        {0x33, 0xC0, 0xE3, 0x00, 0x40, 0xC3},                          // jecxz in the first 5
        {0x0F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x8B, 0x44, 0x24, 0x04, 0xC3},  // near jcc
        {0x31, 0xC0, 0xC3},                                            // returns before 5 bytes
        {0xF3, 0xC3},                                                  // rep ret
        {0x89, 0xC8, 0xFF, 0xE0},                                      // jmp eax before 5 bytes
        {0xC5, 0xF8, 0x77, 0xC3},                                      // VEX: not decoded
    };
    for (const auto& routine : refused) {
        const std::uintptr_t entry = code.put(routine);
        const std::vector<std::uint8_t> before = bytesAt(entry, routine.size() + 4);
        EXPECT_FALSE(hook.install(entry, reinterpret_cast<std::uintptr_t>(&addDetour), false))
            << std::hex << int(routine[0]);
        EXPECT_EQ(bytesAt(entry, routine.size() + 4), before);
        EXPECT_EQ(hook.stub(), 0u);
        EXPECT_EQ(hook.trampoline(), 0u);
        EXPECT_EQ(hook.target(), 0u);
    }
    EXPECT_FALSE(hook.install(0, reinterpret_cast<std::uintptr_t>(&addDetour), false));
    EXPECT_FALSE(hook.install(code.put(kHotPatchAdd), 0, false));
}

TEST_F(InlineHookTest, CallFirstStillReachesItsDestination) {
    CodeBlock elsewhere;  // another allocation: the call's displacement must change
    ASSERT_TRUE(elsewhere.valid());
    const std::uintptr_t fortyTwo = elsewhere.put({0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3});
    // call fortyTwo; add eax,[esp+4]; ret
    const std::uintptr_t entry = code.putCallFirst(fortyTwo, {0x03, 0x44, 0x24, 0x04, 0xC3});
    const std::vector<std::uint8_t> before = bytesAt(entry, 10);

    ASSERT_TRUE(hook.install(entry, reinterpret_cast<std::uintptr_t>(&addDetour), false));
    EXPECT_EQ(hook.copiedLength(), 5);
    EXPECT_EQ(jumpTarget(entry), hook.stub());
    EXPECT_EQ(hook.callTrampoline(8), 50u);
    EXPECT_EQ(call(entry, 8, 0), 1050);

    ASSERT_TRUE(hook.unhook(UnhookMode::Restore));
    EXPECT_EQ(bytesAt(entry, 10), before);  // the displacement is aimed back too
    EXPECT_EQ(call(entry, 8, 0), 50);
}

TEST_F(InlineHookTest, RestoringPutsBytesBackAndFreesTheBlocks) {
    const std::uintptr_t entry = code.put(kHotPatchAdd);
    ASSERT_TRUE(hook.install(entry, reinterpret_cast<std::uintptr_t>(&addDetour), false));
    const std::uintptr_t stub = hook.stub();
    const std::uintptr_t trampoline = hook.trampoline();
    EXPECT_EQ(memoryState(stub), static_cast<DWORD>(MEM_COMMIT));

    ASSERT_TRUE(hook.unhook(UnhookMode::Restore));
    EXPECT_EQ(bytesAt(entry, kHotPatchAdd.size()), kHotPatchAdd);
    EXPECT_EQ(memoryState(stub), static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(memoryState(trampoline), static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(hook.target(), 0u);
    EXPECT_EQ(hook.stub(), 0u);
    EXPECT_EQ(hook.trampoline(), 0u);
    EXPECT_EQ(call(entry, 1, 2), 3);
    EXPECT_FALSE(hook.unhook(UnhookMode::Restore));  // nothing hooked any more
}

// Two pages: the routine's first 5 bytes end the first (read-write), its
// first instruction (6 bytes) ends on the second, which is read-only. Only
// the 5 patched bytes may be written back.
TEST_F(InlineHookTest, RestoringWritesOnlyThePatchedBytes) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    auto* pages = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    ASSERT_NE(pages, nullptr);
    std::uint8_t* at = pages + page - 5;
    std::memcpy(at, kSixByteFirstAdd.data(), kSixByteFirstAdd.size());
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_EXECUTE_READ, &old));
    const auto entry = reinterpret_cast<std::uintptr_t>(at);

    ASSERT_TRUE(hook.install(entry, reinterpret_cast<std::uintptr_t>(&addDetour), false));
    EXPECT_EQ(hook.copiedLength(), 6);
    EXPECT_EQ(call(entry, 1, 2), 1003);
    ASSERT_TRUE(hook.unhook(UnhookMode::Restore));  // a write past the 5 bytes faults here
    EXPECT_EQ(bytesAt(entry, kSixByteFirstAdd.size()), kSixByteFirstAdd);
    EXPECT_EQ(call(entry, 1, 2), 3);
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(InlineHookTest, NeutralisingLeadsTheEntryToTheRoutinesOwnCode) {
    const std::uintptr_t entry = code.put(kHotPatchAdd);
    ASSERT_TRUE(hook.install(entry, reinterpret_cast<std::uintptr_t>(&addDetour), false));
    const std::uintptr_t stub = hook.stub();
    const std::uintptr_t trampoline = hook.trampoline();

    ASSERT_TRUE(hook.unhook(UnhookMode::RestoreOrNeutralise));
    EXPECT_EQ(jumpTarget(entry), stub);
    EXPECT_EQ(jumpTarget(stub), trampoline);
    EXPECT_EQ(memoryState(trampoline), static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(call(entry, 1, 2), 3);
    EXPECT_EQ(hook.stub(), 0u);
    EXPECT_EQ(hook.trampoline(), 0u);
}

TEST_F(InlineHookTest, DestructionWithAutoUnhookNeutralises) {
    const std::uintptr_t entry = code.put(kHotPatchAdd);
    {
        InlineHook scoped(AutoUnhook::On);
        gHook = &scoped;
        ASSERT_TRUE(scoped.install(entry, reinterpret_cast<std::uintptr_t>(&addDetour), false));
        EXPECT_EQ(call(entry, 1, 2), 1003);
    }
    EXPECT_EQ(call(entry, 1, 2), 3);
}

TEST_F(InlineHookTest, ModeZeroRestoresOnlyARewrittenEntry) {
    const std::uintptr_t entry = code.put(kHotPatchAdd);
    const auto detour = reinterpret_cast<std::uintptr_t>(&addDetour);
    ASSERT_TRUE(hook.install(entry, detour, false));
    EXPECT_FALSE(hook.unhook(UnhookMode::RestoreIfDirect));  // the entry leads to the stub: left alone
    EXPECT_EQ(hook.target(), entry);
    EXPECT_EQ(call(entry, 1, 2), 1003);

    // Someone aims the entry straight at the detour: mode 0 restores.
    const auto rel = static_cast<std::int32_t>(detour - (entry + 5));
    std::memcpy(reinterpret_cast<std::uint8_t*>(entry) + 1, &rel, 4);
    ASSERT_TRUE(hook.unhook(UnhookMode::RestoreIfDirect));
    EXPECT_EQ(bytesAt(entry, kHotPatchAdd.size()), kHotPatchAdd);
}

TEST_F(InlineHookTest, ASecondInstallFailsAndKeepsTheFirstHook) {
    const std::uintptr_t first = code.put(kHotPatchAdd);
    const std::uintptr_t second = code.put(kSixByteFirstAdd);
    const auto detour = reinterpret_cast<std::uintptr_t>(&addDetour);
    ASSERT_TRUE(hook.install(first, detour, false));
    EXPECT_FALSE(hook.install(first, detour, false));
    EXPECT_FALSE(hook.hookAddress(second, detour, false));
    EXPECT_EQ(bytesAt(second, kSixByteFirstAdd.size()), kSixByteFirstAdd);
    EXPECT_EQ(hook.target(), first);
    EXPECT_EQ(call(first, 1, 2), 1003);
    EXPECT_TRUE(hook.unhook(UnhookMode::Restore));
}

TEST_F(InlineHookTest, CallTrampolineServesStdcallAndTwelveArguments) {
    // stdcall a - b: pops its two arguments (ret 8).
    const std::uintptr_t sub = code.put({0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x8B, 0x45, 0x08, 0x2B, 0x45,
                                         0x0C, 0x5D, 0xC2, 0x08, 0x00});
    // cdecl sum of 12 arguments.
    std::vector<std::uint8_t> sum12 = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x8B, 0x45, 0x08};
    for (std::uint8_t offset = 0x0C; offset <= 0x34; offset += 4) {
        sum12.insert(sum12.end(), {0x03, 0x45, offset});
    }
    sum12.insert(sum12.end(), {0x5D, 0xC3});
    const auto detour = reinterpret_cast<std::uintptr_t>(&addDetour);

    ASSERT_TRUE(hook.install(code.put(sum12), detour, false));
    EXPECT_EQ(hook.callTrampoline(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12), 78u);
    EXPECT_EQ(hook.callTrampoline(5), 5u);  // the words not given are 0
    ASSERT_TRUE(hook.unhook(UnhookMode::Restore));

    ASSERT_TRUE(hook.install(sub, detour, false));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(hook.callTrampoline(10, 3), 7u);
    ASSERT_TRUE(hook.unhook(UnhookMode::Restore));
    EXPECT_EQ(hook.callTrampoline(10, 3), 0u);  // nothing hooked
}

struct Counter {
    int value;
};
Counter* gSeenObject = nullptr;

// Receives the member routine's object pointer as its first argument and
// pops both words, as the thiscall caller expects its one argument popped.
int __stdcall memberDetour(Counter* self, int x) {
    gSeenObject = self;
    return self->value * 100 + x;
}

// Calls a thiscall routine with ECX = self and one argument; *moved is how far
// ESP ended up from where it was before the push (0 when balanced).
int callMember(std::uintptr_t routine, Counter* self, int x, int* moved) {
    int result;
    int delta;
    __asm__ volatile(
        "movl %%esp, %%edi\n\t"
        "pushl %[x]\n\t"
        "movl %[self], %%ecx\n\t"
        "call *%[fn]\n\t"
        "movl %%esp, %%edx\n\t"
        "subl %%edi, %%edx\n\t"
        "movl %%edi, %%esp\n\t"
        : "=&a"(result), "=&d"(delta)
        : [x] "m"(x), [self] "r"(self), [fn] "r"(routine)
        : "ecx", "edi", "memory", "cc");
    *moved = delta;
    return result;
}

TEST_F(InlineHookTest, AdapterPassesTheObjectPointerFirst) {
    // thiscall: mov edi,edi; push ebp; mov ebp,esp; mov eax,[ecx]; add eax,[ebp+8]; pop ebp; ret 4
    const std::uintptr_t entry = code.put(
        {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x8B, 0x01, 0x03, 0x45, 0x08, 0x5D, 0xC2, 0x04, 0x00});
    Counter counter{7};
    int moved = -1;
    EXPECT_EQ(callMember(entry, &counter, 5, &moved), 12);
    EXPECT_EQ(moved, 0);

    ASSERT_TRUE(hook.hookAddress(entry, reinterpret_cast<std::uintptr_t>(&memberDetour), true));
    const std::vector<std::uint8_t> adapter = {0xFF, 0x34, 0x24, 0x89, 0x4C, 0x24, 0x04};
    EXPECT_EQ(bytesAt(hook.stub(), 7), adapter);
    EXPECT_EQ(jumpTarget(hook.stub() + 7), reinterpret_cast<std::uintptr_t>(&memberDetour));
    moved = -1;
    EXPECT_EQ(callMember(entry, &counter, 5, &moved), 705);
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(gSeenObject, &counter);

    ASSERT_TRUE(hook.unhook(UnhookMode::RestoreOrNeutralise));  // the stub's jump replaces the adapter
    moved = -1;
    EXPECT_EQ(callMember(entry, &counter, 5, &moved), 12);
    EXPECT_EQ(moved, 0);
}

}  // namespace
