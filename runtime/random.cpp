#include "runtime/random.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "runtime/datetime.h"

namespace {
// Two seedings within the same millisecond still differ through the salt.
std::atomic<unsigned> g_salt{0};
}  // namespace

void seedRandom() {
    unsigned tick = static_cast<unsigned>(tickCount());
    unsigned salt = g_salt.load();
    std::srand(tick + salt);
    g_salt.store(salt + ((tick + salt) & 0xFF) + 100);
}

void seedRandom(unsigned seed) { std::srand(seed); }

int randomInt(int minimum, int maximum) {
    minimum = std::max(minimum, 0);
    maximum = std::max(maximum, 0);
    if (minimum > maximum) std::swap(minimum, maximum);
    if (minimum == maximum) return minimum;
    long long span = std::min<long long>(static_cast<long long>(maximum) - minimum, 2147483646LL);
    long long r = std::rand() & 0x7FFF;  // the runtime's generator gives 0..32767
    return static_cast<int>(minimum + r % (span + 1));
}
