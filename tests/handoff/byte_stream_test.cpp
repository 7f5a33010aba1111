// ByteStream: the encodings, the read errors and their report, the buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/byte_stream.h"

namespace {

struct Report {
    std::string name;
    int code, position, length, remaining, needed;
    std::string hex;
};
std::vector<Report> g_reports;

void record(const Text& name, int code, const Text& hex, int position, int length, int remaining,
            int needed) {
    g_reports.push_back({name.str(), code, position, length, remaining, needed, hex.str()});
}

ByteSet bytes(std::initializer_list<int> values) {
    ByteSet out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

class ByteStreamTest : public ::testing::Test {
protected:
    void SetUp() override { g_reports.clear(); }
    void read(const ByteSet& data) { stream.setData(data, record); }
    ByteStream stream;
};

TEST_F(ByteStreamTest, Int32TextBoolRoundTripWithExactBytes) {
    stream.writeInt32(5);
    EXPECT_TRUE(stream.writeText("abc"));
    stream.writeBool(true);
    EXPECT_EQ(stream.getData(),
              bytes({5, 0, 0, 0, 3, 0, 'a', 'b', 'c', 1, 0, 0, 0}));
    read(stream.getData());
    std::int32_t n = 0;
    Text t;
    bool b = false;
    EXPECT_EQ(stream.readInt32(&n), 5);
    EXPECT_EQ(stream.readText(&t), Text("abc"));
    EXPECT_TRUE(stream.readBool(&b));
    EXPECT_EQ(n, 5);
    EXPECT_EQ(t, Text("abc"));
    EXPECT_TRUE(b);
    EXPECT_EQ(stream.remaining(), 0);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(ByteStreamTest, EveryScalarTypeHasItsEncoding) {
    stream.writeByte(0xAB);
    stream.writeShort(-2);
    stream.writeInt64(0x0102030405060708LL);
    stream.writeFloat(1.5f);
    stream.writeDouble(-0.25);
    stream.writeDateTime(DateTime{45000.5});
    stream.writeBytes(bytes({9, 8}));
    ByteSet expected = bytes({0xAB, 0xFE, 0xFF, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0xC0, 0x3F});
    ByteSet tail = bytes({0, 0, 0, 0, 0, 0, 0xD0, 0xBF,                    // -0.25
                          0, 0, 0, 0, 0x10, 0xF9, 0xE5, 0x40,              // 45000.5
                          2, 0, 0, 0, 9, 8});
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(stream.getData(), expected);

    read(stream.getData());
    EXPECT_EQ(stream.readByte(), 0xAB);
    EXPECT_EQ(stream.readShort(), -2);
    EXPECT_EQ(stream.readInt64(), 0x0102030405060708LL);
    EXPECT_EQ(stream.readFloat(), 1.5f);
    EXPECT_EQ(stream.readDouble(), -0.25);
    EXPECT_EQ(stream.readDateTime(), DateTime{45000.5});
    EXPECT_EQ(stream.readBytes(), bytes({9, 8}));
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(ByteStreamTest, BoolReadsAnyNonZeroAsTrue) {
    read(bytes({0, 0, 0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(stream.readBool());
    EXPECT_TRUE(stream.readBool());
    EXPECT_TRUE(stream.readBool());
}

TEST_F(ByteStreamTest, DateTimeReadIsClamped) {
    const struct { double written, read; } cases[] = {
        {-700000.0, -657434.0}, {-657434.0, -657434.0}, {0.0, 0.0},
        {2958465.0, 2958465.0}, {3000000.5, 2958465.0}, {1e300, 2958465.0},
    };
    for (const auto& c : cases) {
        ByteStream s;
        s.writeDouble(c.written);
        s.setData(s.getData());
        EXPECT_EQ(s.readDateTime().value, c.read) << c.written;
    }
}

// A short block: the read returns zero, the cursor stays, the report names
// the operation with its code and the bytes it needed.
TEST_F(ByteStreamTest, ShortReadsReportAndLeaveTheCursor) {
    const struct {
        const char* name;
        int code, needed, available;
        bool (*readsZero)(ByteStream&);
    } cases[] = {
        {"读字节型", 10, 1, 0, [](ByteStream& s) { return s.readByte() == 0; }},
        {"读整数型", 20, 4, 3, [](ByteStream& s) { return s.readInt32() == 0; }},
        {"读字节集", 30, 4, 3, [](ByteStream& s) { return s.readBytes().empty(); }},
        {"读逻辑型", 50, 4, 3, [](ByteStream& s) { return !s.readBool(); }},
        {"读小数型", 60, 4, 3, [](ByteStream& s) { return s.readFloat() == 0.0f; }},
        {"读短整数型", 70, 2, 1, [](ByteStream& s) { return s.readShort() == 0; }},
        {"读长整数型", 80, 8, 7, [](ByteStream& s) { return s.readInt64() == 0; }},
        {"读跳过数据", 90, 5, 4, [](ByteStream& s) { return !s.skip(5); }},
        {"读剩余数据", 100, 1, 0, [](ByteStream& s) { return s.readRest().empty(); }},
        {"读日期时间型", 110, 8, 7, [](ByteStream& s) { return s.readDateTime().value == 0.0; }},
        {"读双精度小数型", 120, 8, 7, [](ByteStream& s) { return s.readDouble() == 0.0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_reports.clear();
        ByteSet data(static_cast<size_t>(c.available), 0x11);
        read(data);
        EXPECT_TRUE(c.readsZero(stream));
        EXPECT_EQ(stream.position(), 1);
        ASSERT_EQ(g_reports.size(), 1u);
        const Report& r = g_reports[0];
        EXPECT_EQ(r.name, c.name);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.needed, c.needed);
        EXPECT_EQ(r.position, 1);
        EXPECT_EQ(r.length, c.available);
        EXPECT_EQ(r.remaining, c.available);
    }
}

TEST_F(ByteStreamTest, ReportCarriesTheWholeBlockAsHex) {
    read(bytes({0x05, 0x00, 0xAB}));
    EXPECT_EQ(stream.readInt32(), 0);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].hex, "05 00 AB");
    EXPECT_EQ(g_reports[0].code, 20);
    EXPECT_EQ(g_reports[0].needed, 4);
}

TEST_F(ByteStreamTest, ReadErrorsWithoutAHandlerAreSilent) {
    stream.setData(bytes({1}));
    EXPECT_EQ(stream.readInt32(), 0);
    EXPECT_EQ(stream.readText(), Text());
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(ByteStreamTest, TextReadFailures) {
    const struct {
        const char* what;
        ByteSet data;
        int needed, positionAfter;
    } cases[] = {
        {"no length field", bytes({3}), 2, 1},
        {"empty text", bytes({0, 0, 'x'}), 2, 3},
        {"negative length", bytes({0xFF, 0xFF, 'x'}), 2, 3},
        {"length past the end", bytes({5, 0, 'a', 'b'}), 5, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_reports.clear();
        read(c.data);
        Text out = "unchanged";
        EXPECT_EQ(stream.readText(&out), Text());
        EXPECT_EQ(out, Text());
        EXPECT_EQ(stream.position(), c.positionAfter);
        ASSERT_EQ(g_reports.size(), 1u);
        EXPECT_EQ(g_reports[0].name, "读文本型");
        EXPECT_EQ(g_reports[0].code, 40);
        EXPECT_EQ(g_reports[0].needed, c.needed);
    }
}

TEST_F(ByteStreamTest, TextStopsAtAZeroByteAndKeepsGbk) {
    read(bytes({4, 0, 'a', 0, 'b', 'c', 1, 0, 0, 0}));
    EXPECT_EQ(stream.readText(), Text("a"));
    EXPECT_EQ(stream.readInt32(), 1);  // all four counted bytes were consumed

    ByteStream s;
    s.writeText("网络可通");
    ByteSet data = s.getData();
    EXPECT_EQ(data.size(), 2u + 8u);  // four GBK characters, two bytes each
    EXPECT_EQ(data[0], 8);
    s.setData(data);
    EXPECT_EQ(s.readText(), Text("网络可通"));
}

TEST_F(ByteStreamTest, FixedLengthTexts) {
    const struct {
        const char* text;
        int fixed;
        bool prefix;
        ByteSet expected;
    } cases[] = {
        {"abcdef", 4, true, bytes({6, 0, 'a', 'b', 'c', 'd'})},
        {"ab", 4, true, bytes({2, 0, 'a', 'b', 0, 0})},
        {"ab", 4, false, bytes({'a', 'b', 0, 0})},
        {"abc", -1, false, bytes({'a', 'b', 'c'})},
        {"", 0, false, bytes({})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ByteStream s;
        EXPECT_TRUE(s.writeText(c.text, c.fixed, c.prefix));
        EXPECT_EQ(s.getData(), c.expected);
    }
    read(bytes({'a', 'b', 0, 0, 'x', 'y', 'z'}));
    EXPECT_EQ(stream.readText(nullptr, 4), Text("ab"));
    EXPECT_EQ(stream.readText(nullptr, 4), Text());  // three bytes left
    EXPECT_EQ(stream.position(), 5);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].needed, 4);
    EXPECT_EQ(stream.readText(nullptr, 3), Text("xyz"));
}

// A 16-bit length cannot hold more than 32767: the old behaviour wrapped the
// length and every field read after the text came out wrong.
TEST_F(ByteStreamTest, TooLongTextWritesNothing) {
    const std::string longest(32767, 'x');
    const std::string tooLong(32768, 'x');
    stream.writeInt32(7);
    EXPECT_FALSE(stream.writeText(Text(tooLong)));
    EXPECT_EQ(stream.getData().size(), 4u);
    EXPECT_FALSE(stream.writeText(Text(tooLong), 10));
    EXPECT_EQ(stream.getData().size(), 4u);
    EXPECT_TRUE(stream.writeText(Text(tooLong), 3, false));  // no length field to wrap
    EXPECT_TRUE(stream.writeText(Text(longest)));
    stream.writeInt32(9);

    read(stream.getData());
    EXPECT_EQ(stream.readInt32(), 7);
    EXPECT_EQ(stream.readText(nullptr, 3), Text("xxx"));
    EXPECT_EQ(stream.readText(), Text(longest));
    EXPECT_EQ(stream.readInt32(), 9);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(ByteStreamTest, BytesBlockFailureLeavesTheCursor) {
    read(bytes({5, 0, 0, 0, 1, 2}));
    EXPECT_TRUE(stream.readBytes().empty());
    EXPECT_EQ(stream.position(), 1);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].needed, 9);
    read(bytes({0, 0, 0, 0, 7}));  // an empty block is a valid block
    EXPECT_TRUE(stream.readBytes().empty());
    EXPECT_EQ(stream.readByte(), 7);
    EXPECT_EQ(g_reports.size(), 1u);
}

TEST_F(ByteStreamTest, SkipReadRestAndRemaining) {
    read(bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(stream.remaining(), 5);
    EXPECT_TRUE(stream.skip(2));
    EXPECT_EQ(stream.remaining(), 3);
    EXPECT_FALSE(stream.skip(-1));
    EXPECT_EQ(stream.readRest(), bytes({3, 4, 5}));
    EXPECT_EQ(stream.remaining(), 0);
    EXPECT_TRUE(stream.readRest().empty());
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[1].code, 100);
}

TEST_F(ByteStreamTest, SetDataRestartsReadingAndReadingIgnoresWrites) {
    read(bytes({1, 0, 0, 0}));
    stream.writeInt32(2);
    EXPECT_EQ(stream.readInt32(), 1);
    EXPECT_EQ(stream.readInt32(), 0);  // the written 2 is not on the reading side
    read(bytes({3, 0, 0, 0}));
    EXPECT_EQ(stream.position(), 1);
    EXPECT_EQ(stream.readInt32(), 3);
    EXPECT_EQ(stream.getData(), bytes({2, 0, 0, 0}));  // and reading did not touch the writes
}

TEST_F(ByteStreamTest, WritingSideOperations) {
    stream.writeInt32(1);
    stream.clearData();
    EXPECT_TRUE(stream.getData().empty());
    stream.setWritten(bytes({7, 7}));
    stream.appendRaw(bytes({8}));
    stream.writeByte(9);
    EXPECT_EQ(stream.getData(), bytes({7, 7, 8, 9}));
}

TEST(ByteBuffer, GrowsByItsStepAndKeepsEveryByte) {
    ByteBuffer buffer;
    EXPECT_EQ(buffer.capacity(), 10240);
    std::vector<std::uint8_t> chunk(1000);
    ByteSet expected;
    for (int i = 0; i < 11; ++i) {
        for (size_t j = 0; j < chunk.size(); ++j) chunk[j] = static_cast<std::uint8_t>(i * 7 + j);
        buffer.append(chunk.data(), static_cast<int>(chunk.size()));
        expected.insert(expected.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(buffer.used(), 11000);
    EXPECT_EQ(buffer.capacity(), 10000 + 1000 + 10240);  // grown once, at the 11th append
    EXPECT_EQ(buffer.copy(), expected);
    buffer.clear();
    EXPECT_TRUE(buffer.copy().empty());
}

TEST_F(ByteStreamTest, ArraysRoundTrip) {
    EXPECT_TRUE(stream.writeInt32Array({1, -2, 3}));
    EXPECT_TRUE(stream.writeShortArray({}));
    EXPECT_TRUE(stream.writeDoubleArray({0.5}));
    EXPECT_TRUE(stream.writeDateTimeArray({DateTime{1.0}, DateTime{9e6}}));
    EXPECT_TRUE(stream.writeTextArray({"ab", "网"}));
    EXPECT_TRUE(stream.writeBytesArray({bytes({1}), bytes({})}));
    ByteSet data = stream.getData();
    EXPECT_EQ(ByteSet(data.begin(), data.begin() + 14),
              bytes({3, 0, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0}));

    read(data);
    EXPECT_EQ(stream.readInt32Array(), (std::vector<std::int32_t>{1, -2, 3}));
    EXPECT_TRUE(stream.readShortArray().empty());
    EXPECT_EQ(stream.readDoubleArray(), (std::vector<double>{0.5}));
    EXPECT_EQ(stream.readDateTimeArray(), (std::vector<DateTime>{DateTime{1.0}, DateTime{2958465.0}}));
    EXPECT_EQ(stream.readTextArray(), (std::vector<Text>{"ab", "网"}));
    EXPECT_EQ(stream.readBytesArray(), (std::vector<ByteSet>{bytes({1}), bytes({})}));
    EXPECT_EQ(stream.remaining(), 0);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(ByteStreamTest, ArrayFailures) {
    read(bytes({3, 0, 1, 0, 0, 0}));  // three int32 announced, one there
    EXPECT_TRUE(stream.readInt32Array().empty());
    EXPECT_EQ(stream.position(), 1);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].name, "读数组");
    EXPECT_EQ(g_reports[0].needed, 14);

    std::vector<std::int32_t> tooMany(32768, 0);
    ByteStream s;
    EXPECT_FALSE(s.writeInt32Array(tooMany));
    EXPECT_FALSE(s.writeTextArray({"a", Text(std::string(40000, 'x'))}));
    EXPECT_TRUE(s.getData().empty());
}

}  // namespace
