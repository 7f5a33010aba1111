// Instruction lengths of hand-picked encodings; every expected length here was
// checked against objdump -D -b binary -m i386.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/x86_length.h"

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    std::string digits;
    for (char c : hex) {
        if (c != ' ') digits += c;
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

struct Case {
    const char* hex;
    int length;
};

// The decoder reads up to 15 bytes: pad with NOPs so a wrong (too long)
// answer shows as a wrong number, not a read past the case.
int lengthOf(const std::string& hex) {
    std::vector<std::uint8_t> bytes = bytesOf(hex);
    bytes.resize(bytes.size() + kMaxInstructionLength, 0x90);
    return decodeInstructionLength(bytes.data());
}

void expectLengths(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(lengthOf(c.hex), c.length) << c.hex;
    }
}

TEST(X86Length, HotPatchPrologue) {
    expectLengths({{"8B FF", 2}, {"55", 1}, {"8B EC", 2}, {"83 EC 10", 3}, {"6A 01", 2},
                   {"68 78 56 34 12", 5}, {"81 EC 00 01 00 00", 6}, {"CC", 1}, {"C3", 1}});
}

TEST(X86Length, EveryPrefixIsCounted) {
    expectLengths({
        {"F0 0F B1 0A", 4},           // lock cmpxchg
        {"F3 A5", 2},                 // rep movsd
        {"F2 AE", 2},                 // repne scasb
        {"2E 8B 00", 3},              // cs:
        {"64 A1 18 00 00 00", 6},     // mov eax, fs:[0x18]
        {"65 8B 05 78 56 34 12", 7},  // gs:
        {"26 36 3E 8B 00", 5},        // several segment overrides
        {"66 90", 2},
    });
}

TEST(X86Length, OperandSizePrefixShortensImmediates) {
    expectLengths({
        {"66 B8 34 12", 4}, {"66 05 34 12", 4}, {"66 81 C0 34 12", 5}, {"66 68 34 12", 4},
        {"66 C7 00 34 12", 5},
        {"66 83 C0 01", 4},  // an 8-bit immediate stays 8-bit
        {"C2 08 00", 3},     // RET imm16 is 16-bit regardless
        {"66 C2 08 00", 4},
        {"C8 10 00 00", 4},  // ENTER imm16, imm8
    });
}

TEST(X86Length, SixteenBitAddressing) {
    expectLengths({
        {"67 8B 00", 3},        // [bx+si]
        {"67 8B 06 34 12", 5},  // mod 0 rm 6: disp16
        {"67 8B 46 01", 4},     // mod 1: disp8
        {"67 8B 86 34 12", 5},  // mod 2: disp16
        {"67 8B 04", 3},        // rm 4 is [si], no SIB
        {"67 8B 04 24", 3},
    });
}

TEST(X86Length, ModRmAndSib) {
    expectLengths({
        {"8B 04 24", 3},                 // [esp]
        {"8B 04 25 78 56 34 12", 7},     // SIB base 5, mod 0: disp32
        {"8B 44 25 01", 4},              // SIB base 5, mod 1: only disp8
        {"8B 84 25 78 56 34 12", 7},     // SIB base 5, mod 2: disp32
        {"8B 05 78 56 34 12", 6},        // mod 0 rm 5: disp32, no base
        {"8B 4C 8D 10", 4},
        {"C7 44 24 04 78 56 34 12", 8},  // SIB + disp8 + imm32
        {"80 7D 08 00", 4},
    });
}

TEST(X86Length, MoffsFollowAddressSizeNotOperandSize) {
    expectLengths({{"A1 78 56 34 12", 5}, {"A3 78 56 34 12", 5}, {"67 A1 34 12", 4},
                   {"67 A0 34 12", 4}, {"66 A1 78 56 34 12", 6}});
}

TEST(X86Length, GroupThreeTestCarriesAnImmediate) {
    expectLengths({
        {"F6 C1 01", 3},              // test cl, 1
        {"F6 4D 08 01", 4},           // reg 1 is TEST too
        {"F6 D1", 2},                 // not cl
        {"F7 C1 78 56 34 12", 6},     // test ecx, imm32
        {"66 F7 C1 34 12", 5},        // test cx, imm16
        {"F7 D8", 2},                 // neg eax
        {"F7 65 08", 3},              // mul dword [ebp+8]
    });
}

TEST(X86Length, RelativeBranches) {
    expectLengths({
        {"E8 00 00 00 00", 5}, {"66 E8 34 12", 4}, {"E9 00 00 00 00", 5}, {"EB FE", 2},
        {"74 00", 2}, {"E3 00", 2}, {"0F 84 00 00 00 00", 6}, {"66 0F 84 34 12", 5},
        {"9A 78 56 34 12 08 00", 7},  // call far ptr16:32
        {"66 EA 34 12 08 00", 6},     // jmp far ptr16:16
    });
}

TEST(X86Length, TwoByteMap) {
    expectLengths({
        {"0F A2", 2}, {"0F 31", 2}, {"0F 0B", 2}, {"0F B6 45 08", 4},
        {"0F BA E0 03", 4},        // bt eax, 3
        {"0F A4 C2 04", 4},        // shld imm8
        {"0F C2 C1 01", 4},        // cmpps imm8
        {"0F 70 C1 1B", 4},        // pshufw
        {"66 0F 70 C1 1B", 5},     // pshufd
        {"0F 1F 44 00 00", 5},     // nopl
        {"0F C7 0E", 3},           // cmpxchg8b [esi]
        {"0F 20 C0", 3},           // mov eax, cr0
        {"0F 22 D8", 3},
        {"0F 20 00", 3},           // mod is ignored for control registers
    });
}

TEST(X86Length, ThreeByteMaps) {
    expectLengths({
        {"66 0F 38 00 C1", 5},           // pshufb
        {"0F 38 F0 00", 4},              // movbe
        {"F2 0F 38 F1 C1", 5},           // crc32
        {"66 0F 38 17 44 24 10", 7},     // ptest
        {"66 0F 3A 0F C1 08", 6},        // palignr
        {"66 0F 3A 16 C0 01", 6},        // pextrd
        {"66 0F 3A 0B 04 24 04", 7},     // roundsd with SIB
        {"66 0F 3A 63 C1 0C", 6},        // pcmpistri
    });
}

TEST(X86Length, FpuEscapes) {
    expectLengths({{"D9 E8", 2}, {"DD 44 24 18", 4}, {"D9 7C 24 0E", 4},
                   {"DF 2D 78 56 34 12", 6}, {"9B", 1}, {"DB E3", 2}, {"D8 C1", 2}});
}

TEST(X86Length, LegacyOpcodesThatLookLikeNewerPrefixes) {
    expectLengths({{"C5 06", 2}, {"C4 45 08", 3}, {"62 00", 2}, {"8F 45 08", 3}});
}

TEST(X86Length, UnknownEncodingsGiveZero) {
    expectLengths({
        {"C5 F8 77", 0},              // VEX vzeroupper
        {"C4 E2 79 18 00", 0},        // VEX three-byte form
        {"62 F1 7C 48 28 C1", 0},     // EVEX
        {"8F E8 78 C2 C1 01", 0},     // XOP
        {"66 0F 78 C0 01 02", 0},     // SSE4a extrq
        {"D6", 0},
        {"0F 04", 0},
        {"0F 0A", 0},
        {"0F 3B", 0},
    });
}

std::string repeated(const char* hex, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += hex;
    return s;
}

TEST(X86Length, NeverLongerThanFifteenBytes) {
    EXPECT_EQ(lengthOf(repeated("66", 14) + "90"), 15);
    EXPECT_EQ(lengthOf(repeated("66", 15) + "90"), 0);
    EXPECT_EQ(lengthOf(repeated("2E", 8) + "C7 84 88 78 56 34 12 01 00 00 00"), 0);  // 19 bytes
}

TEST(X86Length, NeverReadsPastTheAvailableBytes) {
    const struct {
        const char* hex;
        int length;
    } cases[] = {
        {"55", 1}, {"E8 00 00", 0}, {"8B", 0}, {"8B 04", 0}, {"0F", 0}, {"0F 38", 0},
        {"66 0F 3A 0F C1", 0}, {"F3", 0}, {"C7 44 24 04 78 56 34", 0}, {"C7 44 24 04 78 56 34 12", 8},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> bytes = bytesOf(c.hex);  // exactly sized: ASan sees overreads
        EXPECT_EQ(decodeInstructionLength(bytes.data(), bytes.size()), c.length) << c.hex;
    }
    EXPECT_EQ(decodeInstructionLength(nullptr, 15), 0);
    const std::uint8_t nop = 0x90;
    EXPECT_EQ(decodeInstructionLength(&nop, 0), 0);
}

}  // namespace
