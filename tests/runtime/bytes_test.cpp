// Byte sets and raw memory.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/bytes.h"
#include "runtime/convert.h"

namespace {

const ByteSet kAbcabc{'a', 'b', 'c', 'a', 'b', 'c'};

TEST(ByteSets, SlicesClip) {
    EXPECT_EQ(byteSetLength({}), 0);
    EXPECT_EQ(leftBytes(kAbcabc, 2), (ByteSet{'a', 'b'}));
    EXPECT_EQ(leftBytes(kAbcabc, -1), ByteSet());
    EXPECT_EQ(leftBytes(kAbcabc, 99), kAbcabc);
    EXPECT_EQ(midBytes(kAbcabc, 2, 2), (ByteSet{'b', 'c'}));
    EXPECT_EQ(midBytes(kAbcabc, 0, 2), (ByteSet{'a', 'b'}));    // start clipped to 1
    EXPECT_EQ(midBytes(kAbcabc, 7, 2), ByteSet());              // length + 1
    EXPECT_EQ(midBytes(kAbcabc, 5, -3), ByteSet());
    EXPECT_EQ(midBytes(kAbcabc, 5, 9), (ByteSet{'b', 'c'}));
    EXPECT_EQ(zeroBytes(3), (ByteSet{0, 0, 0}));
    EXPECT_EQ(zeroBytes(0), ByteSet());
}

TEST(ByteSets, FindForwardAndBackward) {
    const ByteSet bc{'b', 'c'};
    EXPECT_EQ(findBytes(kAbcabc, bc), 2);
    EXPECT_EQ(findBytes(kAbcabc, bc, 3), 5);
    EXPECT_EQ(findBytes(kAbcabc, bc, 6), -1);
    EXPECT_EQ(findBytes(kAbcabc, {}), -1);
    EXPECT_EQ(findBytesReverse(kAbcabc, bc), 5);
    EXPECT_EQ(findBytesReverse(kAbcabc, bc, 5), 2);   // must lie within the first 5 bytes
    EXPECT_EQ(findBytesReverse(kAbcabc, bc, 6), 5);
    EXPECT_EQ(findBytesReverse(kAbcabc, bc, 2), -1);
    EXPECT_EQ(findBytesReverse(kAbcabc, {'x'}), -1);
}

TEST(ByteSets, ReplaceLeftToRightWithoutReexamining) {
    const ByteSet a{'a'};
    EXPECT_EQ(replaceBytes(kAbcabc, a, {'x', 'y'}), (ByteSet{'x', 'y', 'b', 'c', 'x', 'y', 'b', 'c'}));
    EXPECT_EQ(replaceBytes(kAbcabc, a), (ByteSet{'b', 'c', 'b', 'c'}));
    EXPECT_EQ(replaceBytes(kAbcabc, a, {'z'}, 2), (ByteSet{'a', 'b', 'c', 'z', 'b', 'c'}));
    EXPECT_EQ(replaceBytes(kAbcabc, a, {'z'}, 1, 1), (ByteSet{'z', 'b', 'c', 'a', 'b', 'c'}));
    // The inserted "aa" is not examined again.
    EXPECT_EQ(replaceBytes({'a', 'a'}, a, {'a', 'a'}), (ByteSet{'a', 'a', 'a', 'a'}));
}

TEST(ReadFromByteSet, TypedValuesAndAdvancingPosition) {
    ByteSet b = toByteSet(0x11223344);
    ByteSet text = toByteSet(Text("hi"));
    b.insert(b.end(), text.begin(), text.end());
    b.push_back(0);
    b.push_back(7);
    int pos = 1;
    EXPECT_EQ(std::get<std::int32_t>(readFromByteSet(b, 3, &pos)), 0x11223344);
    EXPECT_EQ(pos, 5);
    EXPECT_EQ(std::get<Text>(readFromByteSet(b, 10, &pos)), Text("hi"));
    EXPECT_EQ(pos, 8);
    EXPECT_EQ(std::get<std::int16_t>(readFromByteSet(b, 2, &pos)), 7);  // missing byte reads 0
    EXPECT_EQ(pos, -1);
    EXPECT_EQ(std::get<std::uint8_t>(readFromByteSet(b, 1, 4)), 0x11);
    EXPECT_EQ(std::get<std::int32_t>(readFromByteSet(b, 3, 0)), 0);   // below 1 reads nothing
    EXPECT_EQ(std::get<Text>(readFromByteSet(b, 10, 99)), Text());
    EXPECT_TRUE(std::get<bool>(readFromByteSet(toByteSet(true), 7)));
    EXPECT_DOUBLE_EQ(std::get<DateTime>(readFromByteSet(toByteSet(DateTime{2.5}), 8)).value, 2.5);
}

// Exit code -1 is what Windows reports; POSIX keeps its low 8 bits.
#ifdef _WIN32
const int kRuntimeErrorExit = -1;
#else
const int kRuntimeErrorExit = 255;
#endif

TEST(ReadFromByteSetDeathTest, InvalidTypeCodeIsARuntimeError) {
    EXPECT_EXIT(readFromByteSet(ByteSet{1}, 11), ::testing::ExitedWithCode(kRuntimeErrorExit),
                "欲取出数据的类型");
    EXPECT_EXIT(readFromByteSet(ByteSet{1}, 0), ::testing::ExitedWithCode(kRuntimeErrorExit),
                "错误信息");
}

TEST(Memory, AllocWriteReadFree) {
    EXPECT_EQ(allocMemory(0), 0u);
    std::uintptr_t p = allocMemory(16, true);
    ASSERT_NE(p, 0u);
    EXPECT_EQ(bytesFromPointer(p, 4), (ByteSet{0, 0, 0, 0}));
    writeMemory(Text("abc"), p);
    EXPECT_EQ(textFromPointer(p), Text("abc"));
    writeMemory(Text("xyz"), p, 2);  // at most 2 bytes
    EXPECT_EQ(textFromPointer(p), Text("xyc"));
    writeMemory(-2, p + 8);
    EXPECT_EQ(intFromPointer(p + 8), -2);
    EXPECT_EQ(bytesFromPointer(p, 0), ByteSet());
    freeMemory(p);
    freeMemory(0);
}

}  // namespace
