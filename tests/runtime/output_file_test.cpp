// OutputFile on the real file system, natively and under Wine: the chosen
// name holds either the old file or the whole new one, never a part, and
// nothing is left beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "runtime/codepage.h"
#include "runtime/output_file.h"

namespace fs = std::filesystem;

namespace {

// The system's form of a GBK name, as the two halves of OutputFile open it.
fs::path systemPath(const Text& gbk) {
#ifdef _WIN32
    const std::u16string wide = gbkToUtf16(gbk);
    return fs::path(std::wstring(wide.begin(), wide.end()));
#else
    return fs::path(gbkToUtf8(gbk));
#endif
}

// A fresh folder per test, removed with everything in it.
class OutputFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        folder_ = fs::temp_directory_path() / ("qerno-output-" + std::to_string(rd()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    // A GBK name in the folder; the Chinese name checks the name's code page.
    Text path(const char* gbkName) const {
#ifdef _WIN32
        const std::wstring w = folder_.wstring();
        return utf16ToGbk(std::u16string(w.begin(), w.end())) + "\\" + gbkName;
#else
        return Text(folder_.string()) + "/" + gbkName;
#endif
    }
    static std::string contentOf(const Text& gbk) {
        std::ifstream in(systemPath(gbk), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void put(const Text& gbk, const std::string& bytes) {
        std::ofstream(systemPath(gbk), std::ios::binary) << bytes;
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    fs::path folder_;
};

TEST_F(OutputFileTest, CommitReplacesTheFileAndLeavesNothingBeside) {
    const Text target = path("日志_导出.csv");
    put(target, "old content that is longer than the new one");
    {
        OutputFile out;
        ASSERT_TRUE(out.open(target));
        EXPECT_TRUE(fs::exists(systemPath(out.temporaryPath())));
        EXPECT_TRUE(out.write("new "));
        EXPECT_TRUE(out.write("content"));
        EXPECT_EQ(contentOf(target), "old content that is longer than the new one")
            << "the chosen name changes only at the commit";
        EXPECT_TRUE(out.commit());
        EXPECT_FALSE(out.isOpen());
    }
    EXPECT_EQ(contentOf(target), "new content");
    EXPECT_EQ(entries(), 1u) << "no temporary file is left";
}

TEST_F(OutputFileTest, WithoutCommitNothingIsLeftAndAnOldFileIsKept) {
    const Text fresh = path("fresh.csv");
    const Text existing = path("existing.csv");
    put(existing, "kept");
    {
        OutputFile a, b;
        ASSERT_TRUE(a.open(fresh));
        ASSERT_TRUE(b.open(existing));
        EXPECT_TRUE(a.write(std::string(1 << 20, 'x')));  // past the buffer: bytes on disk
        EXPECT_TRUE(b.write("half"));
    }
    EXPECT_FALSE(fs::exists(systemPath(fresh)));
    EXPECT_EQ(contentOf(existing), "kept");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(OutputFileTest, FailuresAreReportedAndLeaveNoFile) {
    OutputFile out;
    EXPECT_FALSE(out.open(path("no-such-folder/x.csv")));
    EXPECT_FALSE(out.open(Text()));
    EXPECT_FALSE(out.isOpen());
    EXPECT_FALSE(out.write("x"));
    EXPECT_FALSE(out.commit());

    // A folder where the file should go: the rename fails at the commit,
    // which must say so and take its temporary file away.
    const Text folderName = path("taken");
    fs::create_directory(systemPath(folderName));
    ASSERT_TRUE(out.open(folderName));
    EXPECT_TRUE(out.write("x"));
    EXPECT_FALSE(out.commit());
    EXPECT_TRUE(fs::is_directory(systemPath(folderName)));
    EXPECT_EQ(entries(), 1u);
}

// Pieces smaller and larger than the write buffer, in an order that crosses
// its edge every way, arrive whole and in order.
TEST_F(OutputFileTest, BufferedWritesKeepEveryByteInOrder) {
    const Text target = path("big.csv");
    std::string expected;
    OutputFile out;
    ASSERT_TRUE(out.open(target));
    const std::size_t sizes[] = {1, 100, 300000, 7, 262143, 262144, 262145, 0, 5, 1 << 20, 3};
    char fill = 'a';
    for (std::size_t n : sizes) {
        const std::string piece(n, fill);
        fill = fill == 'z' ? 'a' : static_cast<char>(fill + 1);
        expected += piece;
        ASSERT_TRUE(out.write(piece));
    }
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(contentOf(target), expected);
}

// Reopening an object drops its unfinished file first.
TEST_F(OutputFileTest, ReopeningDiscardsTheUnfinishedFile) {
    OutputFile out;
    ASSERT_TRUE(out.open(path("first.csv")));
    ASSERT_TRUE(out.write("1"));
    ASSERT_TRUE(out.open(path("second.csv")));
    ASSERT_TRUE(out.write("2"));
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(contentOf(path("second.csv")), "2");
    EXPECT_EQ(entries(), 1u);
}

}  // namespace
