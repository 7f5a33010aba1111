// Hand-off blocks: a payload passed from one thread to another by the address
// of a heap block {int32 size = payload length + 4, payload}. The producer
// makes the block; from the moment it hands the address over (thread
// argument, wParam of a posted message) the receiver owns it and takes it
// exactly once. Any thread may call these.
//
// The process keeps a registry of live blocks: a block that was never made
// here, or was already taken, cannot be told from a live one by probing the
// memory, so taking it would read freed memory or free it twice. Such a
// block is refused.
#pragma once

#include <cstdint>

#include "runtime/values.h"

// A new block holding a copy of `payload`; 0 when no memory was left.
std::uintptr_t makeHandoffBlock(const ByteSet& payload);

// The block's payload; the block is freed. A block that is not live gives
// an empty payload and the debugger text "指针无效", and nothing is freed.
ByteSet takeHandoffBlock(std::uintptr_t block);

// How many blocks were made and not yet taken.
int liveHandoffBlocks();
