// Length of one 32-bit-mode x86 instruction. Pure code: any thread.
#pragma once

#include <cstddef>
#include <cstdint>

// The architectural limit: a longer byte run is not one instruction.
constexpr std::size_t kMaxInstructionLength = 15;

// Bytes of the instruction at code (prefixes, opcode, ModRM, SIB,
// displacement, immediate); 0 for an opcode the decoder does not know or an
// instruction longer than 15 bytes. Reads at most 15 bytes from code.
int decodeInstructionLength(const std::uint8_t* code);

// The same, reading at most `available` bytes: 0 when the instruction would
// run past them (the end of a file or buffer).
int decodeInstructionLength(const std::uint8_t* code, std::size_t available);
