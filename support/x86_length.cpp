// 32-bit-mode x86 instruction lengths from two-level class tables, after the
// opcode maps of the Intel SDM, volume 2, appendix A.
#include "support/x86_length.h"

namespace {

// Class bits: what follows the opcode byte.
constexpr std::uint8_t M = 0x01;    // a ModRM byte (and SIB/displacement as it says)
constexpr std::uint8_t I8 = 0x02;   // an 8-bit immediate
constexpr std::uint8_t I16 = 0x04;  // a 16-bit immediate
constexpr std::uint8_t IZ = 0x10;   // an operand-size immediate: 2 under 66, else 4
                                    // (A0-A3: an address-size offset, 2 under 67)
constexpr std::uint8_t R8 = 0x20;   // an 8-bit relative displacement
constexpr std::uint8_t RZ = 0x40;   // a relative displacement: 2 under 66, else 4
constexpr std::uint8_t X = 0x80;    // not decoded: invalid here, or deliberately left out

// Second level: rows of 4 classes; the first level gives each opcode ÷ 4 the
// offset of its row, so identical rows are stored once.
constexpr std::uint8_t kOneByteRows[] = {
    /*  0 */ M, M, M, M,                 // ALU r/m forms, MOV, TEST/XCHG, shifts, FPU escapes
    /*  4 */ I8, IZ, 0, 0,               // ALU AL/EAX,imm; PUSH/POP seg, DAA..AAS; TEST AL/EAX,imm
    /*  8 */ 0, 0, 0, 0,                 // INC/DEC/PUSH/POP reg, NOP/XCHG, string ops, flags
    /* 12 */ 0, 0, M, M,                 // PUSHA/POPA, BOUND, ARPL; HLT/CMC + group 3; CLD/STD + 4/5
    /* 16 */ IZ, M | IZ, I8, M | I8,     // PUSH imm, IMUL r,r/m,imm
    /* 20 */ R8, R8, R8, R8,             // Jcc rel8, LOOPcc/JECXZ
    /* 24 */ M | I8, M | IZ, M | I8, M | I8,  // group 1: ALU r/m,imm
    /* 28 */ 0, 0, IZ | I16, 0,          // CWDE, CDQ, CALL ptr16:32, FWAIT
    /* 32 */ IZ, IZ, IZ, IZ,             // MOV A0-A3 moffs; MOV reg,imm32
    /* 36 */ I8, I8, I8, I8,             // MOV reg8,imm8; IN/OUT imm8
    /* 40 */ M | I8, M | I8, I16, 0,     // group 2 by imm8; RET imm16, RET
    /* 44 */ M, M, M | I8, M | IZ,       // LES, LDS, group 11 MOV r/m,imm
    /* 48 */ I16 | I8, 0, I16, 0,        // ENTER, LEAVE, RETF imm16, RETF
    /* 52 */ 0, I8, 0, 0,                // INT3, INT imm8, INTO, IRET
    /* 56 */ I8, I8, X, 0,               // AAM, AAD, (D6 undefined), XLAT
    /* 60 */ RZ, RZ, IZ | I16, R8,       // CALL/JMP rel, JMP ptr16:32, JMP rel8
};

constexpr std::uint8_t kOneByteIndex[64] = {
    0, 4, 0, 4, 0, 4, 0, 4, 0, 4, 0, 4, 0, 4, 0, 4,  // 00-3F: ALU ops, seg prefixes, BCD
    8, 8, 8, 8, 8, 8, 8, 8,                          // 40-5F: INC/DEC/PUSH/POP reg
    12, 8, 16, 8,                                    // 60-6F: PUSHA.., prefixes, PUSH/IMUL imm, INS/OUTS
    20, 20, 20, 20,                                  // 70-7F: Jcc rel8
    24, 0, 0, 0,                                     // 80-8F: group 1, TEST, XCHG, MOV, LEA, POP r/m
    8, 8, 28, 8,                                     // 90-9F: XCHG, CWDE, CALL far, flags
    32, 8, 4, 8,                                     // A0-AF: MOV moffs, string ops, TEST imm
    36, 36, 32, 32,                                  // B0-BF: MOV reg,imm
    40, 44, 48, 52,                                  // C0-CF: shifts, RET, LES/LDS, MOV imm, ENTER, INT
    0, 56, 0, 0,                                     // D0-DF: shifts, AAM/AAD, XLAT, FPU escapes
    20, 36, 60, 8,                                   // E0-EF: LOOP, IN/OUT, CALL/JMP, IN/OUT DX
    8, 12, 8, 12,                                    // F0-FF: prefixes, HLT, group 3, flags, group 4/5
};

constexpr std::uint8_t kTwoByteRows[] = {
    /*  0 */ M, M, M, M,               // most SSE/MMX, CMOVcc, SETcc, groups 6/7, MOVZX...
    /*  4 */ X, 0, 0, 0,               // SYSCALL, CLTS, SYSRET
    /*  8 */ 0, 0, X, 0,               // INVD, WBINVD, UD2
    /* 12 */ X, M, 0, M | I8,          // PREFETCH, FEMMS, 3DNow! (suffix byte as imm8)
    /* 16 */ M, X, M, X,               // MOV to/from TR
    /* 20 */ 0, 0, 0, 0,               // WRMSR, RDTSC, RDMSR, RDPMC; BSWAP
    /* 24 */ 0, 0, X, 0,               // SYSENTER, SYSEXIT, GETSEC
    /* 28 */ X, X, X, X,               // 38/3A escapes (decoded before the table), undefined
    /* 32 */ M | I8, M | I8, M | I8, M | I8,  // PSHUFW/PSHUFD, shift groups 12-14 by imm8
    /* 36 */ M, M, M, 0,               // PCMPEQx, EMMS
    /* 40 */ M, M, X, X,               // VMREAD, VMWRITE
    /* 44 */ RZ, RZ, RZ, RZ,           // Jcc rel32
    /* 48 */ 0, 0, 0, M,               // PUSH/POP FS, CPUID, BT; PUSH/POP GS, RSM, BTS
    /* 52 */ M | I8, M, M, M,          // SHLD imm8, SHLD CL, VIA PadLock (register forms)
    /* 56 */ M | I8, M, M, M,          // SHRD imm8, SHRD CL, group 15, IMUL
    /* 60 */ M, M, M | I8, M,          // POPCNT, UD1, group 8 (BT* imm8), BTC
    /* 64 */ M, M, M | I8, M,          // XADD, CMPPS imm8, MOVNTI
    /* 68 */ M | I8, M | I8, M | I8, M,  // PINSRW, PEXTRW, SHUFPS, group 9
};

constexpr std::uint8_t kTwoByteIndex[64] = {
    0, 4, 8, 12,                // 0F 00-0F: groups 6/7, LAR/LSL, system, UD2, 3DNow!
    0, 0, 0, 0,                 // 0F 10-1F: SSE moves, prefetch/hint NOPs
    0, 16, 0, 0,                // 0F 20-2F: MOV CR/DR/TR, SSE converts and compares
    20, 24, 28, 28,             // 0F 30-3F: MSR/TSC, SYSENTER, three-byte escapes
    0, 0, 0, 0,                 // 0F 40-4F: CMOVcc
    0, 0, 0, 0, 0, 0, 0, 0,     // 0F 50-6F: SSE/MMX arithmetic and unpacks
    32, 36, 40, 0,              // 0F 70-7F: shuffles, shift groups, VMREAD/WRITE, MOVD/Q
    44, 44, 44, 44,             // 0F 80-8F: Jcc rel32
    0, 0, 0, 0,                 // 0F 90-9F: SETcc
    48, 52, 48, 56,             // 0F A0-AF: FS/GS, CPUID, BT*, SHLD/SHRD, group 15, IMUL
    0, 0, 60, 0,                // 0F B0-BF: CMPXCHG, LSS.., MOVZX, group 8, BSF/BSR, MOVSX
    64, 68, 20, 20,             // 0F C0-CF: XADD, CMPPS.., group 9, BSWAP
    0, 0, 0, 0, 0, 0,           // 0F D0-E7: MMX/SSE arithmetic
    0, 0, 0, 0, 0, 0,           // 0F E8-FF: MMX/SSE arithmetic, UD0
};

constexpr bool rowsInRange(const std::uint8_t* index, std::size_t rowBytes) {
    for (int i = 0; i < 64; ++i) {
        if (index[i] % 4 != 0 || index[i] + 4u > rowBytes) return false;
    }
    return true;
}
static_assert(rowsInRange(kOneByteIndex, sizeof kOneByteRows), "one-byte map index");
static_assert(rowsInRange(kTwoByteIndex, sizeof kTwoByteRows), "0F map index");

std::uint8_t classOf(const std::uint8_t* index, const std::uint8_t* rows, std::uint8_t opcode) {
    return rows[index[opcode >> 2] + (opcode & 3)];
}

// Reads forward through at most `limit` bytes; every step fails once past it.
struct Cursor {
    const std::uint8_t* code;
    std::size_t limit;
    std::size_t pos = 0;

    bool has(std::size_t n) const { return pos + n <= limit; }
    bool next(std::uint8_t* byte) {
        if (!has(1)) return false;
        *byte = code[pos++];
        return true;
    }
    bool skip(std::size_t n) {
        if (!has(n)) return false;
        pos += n;
        return true;
    }
};

struct Prefixes {
    bool operand16 = false;  // 66
    bool address16 = false;  // 67
    bool repne = false;      // F2
};

enum class OpcodeMap { OneByte, Map0F, Map0F38, Map0F3A };

bool isPrefix(std::uint8_t b) {
    switch (b) {
    case 0xF0: case 0xF2: case 0xF3:                                  // LOCK, REPNE, REP
    case 0x26: case 0x2E: case 0x36: case 0x3E: case 0x64: case 0x65:  // segment overrides
    case 0x66: case 0x67:                                             // operand/address size
        return true;
    default:
        return false;
    }
}

// ModRM, then SIB and displacement as mod/rm ask. The ModRM byte itself is
// already consumed; `forceRegister` is for MOV CR/DR, which ignore mod.
bool skipAddressing(Cursor& c, std::uint8_t modrm, const Prefixes& p, bool forceRegister) {
    const int mod = modrm >> 6;
    const int rm = modrm & 7;
    if (mod == 3 || forceRegister) return true;
    if (p.address16) {
        if (mod == 1) return c.skip(1);
        if (mod == 2 || (mod == 0 && rm == 6)) return c.skip(2);
        return true;
    }
    if (rm == 4) {
        std::uint8_t sib;
        if (!c.next(&sib)) return false;
        if (mod == 0 && (sib & 7) == 5) return c.skip(4);
    }
    if (mod == 1) return c.skip(1);
    if (mod == 2 || (mod == 0 && rm == 5)) return c.skip(4);
    return true;
}

bool skipImmediates(Cursor& c, std::uint8_t cls, std::uint8_t opcode, OpcodeMap map,
                    const Prefixes& p) {
    const std::size_t operandSize = p.operand16 ? 2 : 4;
    std::size_t n = 0;
    if (cls & I8) n += 1;
    if (cls & I16) n += 2;
    if (cls & R8) n += 1;
    if (cls & RZ) n += operandSize;
    if (cls & IZ) {
        const bool moffs = map == OpcodeMap::OneByte && opcode >= 0xA0 && opcode <= 0xA3;
        n += moffs ? (p.address16 ? 2 : 4) : operandSize;
    }
    return c.skip(n);
}

// Opcode and class after the prefixes; false when the bytes run out.
bool readOpcode(Cursor& c, std::uint8_t* opcode, OpcodeMap* map, std::uint8_t* cls) {
    if (!c.next(opcode)) return false;
    if (*opcode != 0x0F) {
        *map = OpcodeMap::OneByte;
        *cls = classOf(kOneByteIndex, kOneByteRows, *opcode);
        return true;
    }
    if (!c.next(opcode)) return false;
    if (*opcode == 0x38) {
        *map = OpcodeMap::Map0F38;  // SSSE3/SSE4.1/4.2, MOVBE, CRC32: ModRM, no immediate
        *cls = M;
        return c.next(opcode);
    }
    if (*opcode == 0x3A) {
        *map = OpcodeMap::Map0F3A;  // PALIGNR, ROUNDxx, PEXTRx/PINSRx, PCMPxSTRx: ModRM + imm8
        *cls = M | I8;
        return c.next(opcode);
    }
    *map = OpcodeMap::Map0F;
    *cls = classOf(kTwoByteIndex, kTwoByteRows, *opcode);
    return true;
}

// Encodings that reuse an opcode under a condition the tables cannot show.
bool isLeftOut(std::uint8_t opcode, OpcodeMap map, std::uint8_t modrm, const Prefixes& p) {
    const int mod = modrm >> 6;
    const int reg = (modrm >> 3) & 7;
    if (map == OpcodeMap::OneByte) {
        // With mod 3 these are VEX (C4/C5) and EVEX (62) prefixes, with a reg
        // field other than 0 an XOP prefix (8F).
        if (mod == 3 && (opcode == 0xC4 || opcode == 0xC5 || opcode == 0x62)) return true;
        return opcode == 0x8F && reg != 0;
    }
    // SSE4a EXTRQ/INSERTQ (66/F2 0F 78/79) carry immediates VMREAD/VMWRITE lack.
    return map == OpcodeMap::Map0F && (opcode == 0x78 || opcode == 0x79) && (p.operand16 || p.repne);
}

int decode(Cursor& c) {
    Prefixes p;
    while (c.has(1) && isPrefix(c.code[c.pos])) {
        const std::uint8_t prefix = c.code[c.pos++];
        if (prefix == 0x66) p.operand16 = true;
        if (prefix == 0x67) p.address16 = true;
        if (prefix == 0xF2) p.repne = true;
    }
    std::uint8_t opcode;
    OpcodeMap map;
    std::uint8_t cls;
    if (!readOpcode(c, &opcode, &map, &cls) || (cls & X)) return 0;

    if (cls & M) {
        std::uint8_t modrm;
        if (!c.next(&modrm) || isLeftOut(opcode, map, modrm, p)) return 0;
        // Group 3: TEST r/m,imm is the only member with an immediate.
        const int reg = (modrm >> 3) & 7;
        if (map == OpcodeMap::OneByte && opcode == 0xF6 && reg <= 1) cls |= I8;
        if (map == OpcodeMap::OneByte && opcode == 0xF7 && reg <= 1) cls |= IZ;
        // MOV to/from CR, DR and TR always name a register, whatever mod says.
        const bool controlMove = map == OpcodeMap::Map0F && opcode >= 0x20 && opcode <= 0x27;
        if (!skipAddressing(c, modrm, p, controlMove)) return 0;
    }
    if (!skipImmediates(c, cls, opcode, map, p)) return 0;
    return static_cast<int>(c.pos);
}

}  // namespace

int decodeInstructionLength(const std::uint8_t* code, std::size_t available) {
    if (code == nullptr) return 0;
    Cursor c{code, available < kMaxInstructionLength ? available : kMaxInstructionLength};
    return decode(c);
}

int decodeInstructionLength(const std::uint8_t* code) {
    return decodeInstructionLength(code, kMaxInstructionLength);
}
