#include "runtime/handoff_block.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

#include "runtime/debug_output.h"

namespace {

constexpr int kSizeField = 4;

// Never destroyed: worker threads may hand blocks over during process exit.
struct Registry {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::int32_t> sizes;  // block -> its size field
};

Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

// Removes the block from the registry; false when it was not live. Checking
// and removing in one step lets only one of two racing takes have it.
bool claim(std::uintptr_t block, std::int32_t* size) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    auto it = r.sizes.find(block);
    if (it == r.sizes.end()) return false;
    *size = it->second;
    r.sizes.erase(it);
    return true;
}

}  // namespace

std::uintptr_t makeHandoffBlock(const ByteSet& payload) {
    if (payload.size() > static_cast<std::size_t>(INT32_MAX - kSizeField)) return 0;
    const std::int32_t size = static_cast<std::int32_t>(payload.size()) + kSizeField;
    auto* bytes = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(size)));
    if (!bytes) return 0;
    const std::uint8_t field[kSizeField] = {
        static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
        static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 24)};
    std::memcpy(bytes, field, kSizeField);
    if (!payload.empty()) std::memcpy(bytes + kSizeField, payload.data(), payload.size());
    const auto block = reinterpret_cast<std::uintptr_t>(bytes);
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    try {
        r.sizes.emplace(block, size);
    } catch (const std::bad_alloc&) {
        std::free(bytes);
        return 0;
    }
    return block;
}

ByteSet takeHandoffBlock(std::uintptr_t block) {
    std::int32_t size = 0;
    if (!claim(block, &size)) {
        debugOutput("指针无效");
        return {};
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(block);
    const std::int32_t stored = static_cast<std::int32_t>(
        bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
    ByteSet payload;
    if (stored == size) {
        payload.assign(bytes + kSizeField, bytes + size);
    } else {
        // Someone wrote over the size field; the block is ours, so it can
        // still be freed, but its contents cannot be trusted.
        debugOutput("指针无效");
    }
    std::free(const_cast<std::uint8_t*>(bytes));
    return payload;
}

int liveHandoffBlocks() {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    return static_cast<int>(r.sizes.size());
}
