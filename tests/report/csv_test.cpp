// CSV fields and lines, and their round trip through a reader that parses
// as a spreadsheet does: what the export writes must come back field for
// field, whatever a host's name holds.
#include <gtest/gtest.h>

#include "report/csv.h"
#include "tests/report/csv_reader.h"

namespace {

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        const char* field;
        const char* written;
        const char* why;
    } cases[] = {
        {"web", "web", "plain text as it is"},
        {"", "", "an empty field stays empty, unquoted"},
        {"10.0.0.5", "10.0.0.5", "an address"},
        {"2016-12-23 09:05:07", "2016-12-23 09:05:07", "a space needs no quotes"},
        {"a,b", "\"a,b\"", "a comma"},
        {"a\"b", "\"a\"\"b\"", "a quote, doubled"},
        {"a,\"b\"", "\"a,\"\"b\"\"\"", "a comma and quotes"},
        {"\"", "\"\"\"\"", "a lone quote"},
        {"line\nbreak", "\"line\nbreak\"", "an LF"},
        {"line\r\nbreak", "\"line\r\nbreak\"", "a CR LF"},
        {"cr\r", "\"cr\r\"", "a lone CR"},
        {" lead", " lead", "a leading space is kept as it is"},
        {"\xE7\xBD\x91\xE7\xBB\x9C", "\xE7\xBD\x91\xE7\xBB\x9C", "UTF-8 Chinese passes untouched"},
        {"\xF0\x9F\x98\x80,", "\"\xF0\x9F\x98\x80,\"", "a character outside GBK stays, never a ?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(CsvField(c.field), c.written);
    }
}

TEST(Csv, LineJoinsWithCommasAndEndsWithCrLf) {
    EXPECT_EQ(CsvLine({"a", "b,c", ""}), "a,\"b,c\",\r\n");
    EXPECT_EQ(CsvLine({}), "\r\n");
    std::string appended = "x\r\n";
    AppendCsvLine(appended, {"1", "\"q\""});
    EXPECT_EQ(appended, "x\r\n1,\"\"\"q\"\"\"\r\n");
    EXPECT_EQ(kUtf8Bom, std::string_view("\xEF\xBB\xBF", 3));
}

// The names a user may give a host come back intact, in their columns.
TEST(Csv, AwkwardFieldsRoundTripThroughAReader) {
    const std::vector<std::vector<std::string>> table = {
        {"time", "name", "ip"},
        {"2024-01-02 03:04:05", "a,\"b\"", "10.0.0.5"},
        {"2024-01-02 03:04:06", "two\r\nlines", ""},
        {"", "only\nLF", "\"\""},
        {",", ",,", "\xF0\x9F\x98\x80"},
    };
    std::string text;
    for (const auto& row : table) text += CsvLine(row);
    const CsvTable read = ReadCsv(text);
    EXPECT_FALSE(read.malformed);
    EXPECT_EQ(read.rows, table);
}

// The reader itself must catch a writer that forgets quotes, or this test
// above could not fail.
TEST(Csv, ReaderRejectsUnquotedBreaksAndOpenQuotes) {
    EXPECT_TRUE(ReadCsv("a\nb,c\r\n").malformed);
    EXPECT_TRUE(ReadCsv("a,\"b\r\n").malformed);
    EXPECT_TRUE(ReadCsv("a,b").malformed);
    EXPECT_EQ(ReadCsv("a,b,c\r\n").rows.at(0).size(), 3u);
}

}  // namespace
