// The program's heap allocation: a request the heap cannot supply is a
// runtime error ("分配 N 字节内存失败!", the box, exit code -1), not a
// std::bad_alloc that nobody catches and that ends the process through the
// C++ terminate path without a word. The nothrow forms keep returning null:
// their callers (locks, hand-off blocks) handle it as a failed result.
//
// These replace the library's global operators for the whole program; the
// sized and unsized deletes free what malloc gave.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "runtime/runtime_error.h"

namespace {

// A zero-byte request still gets a unique block, as the standard asks.
std::size_t atLeastOne(std::size_t size) { return size == 0 ? 1 : size; }

[[noreturn]] void allocationFailed(std::size_t size) {
    // Small and on the stack: the heap has just refused a block. The text is
    // built after that, once, for the box; a failure that large left room.
    char message[64];
    std::snprintf(message, sizeof message, "分配 %llu 字节内存失败!", static_cast<unsigned long long>(size));
    raiseRuntimeError(RuntimeError{0, Text(message)});
}

void* allocate(std::size_t size) {
    if (void* block = std::malloc(atLeastOne(size))) return block;
    allocationFailed(size);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(atLeastOne(size));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(atLeastOne(size));
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
