// GBK <-> UTF-16 <-> UTF-8 at the program's boundaries.
#include <gtest/gtest.h>

#include "runtime/codepage.h"

namespace {

TEST(Codepage, RoundTripsChineseThroughUtf16AndUtf8) {
    const Text gbk = "Qerno网络检测";
    EXPECT_EQ(gbkToUtf16(gbk), u"Qerno网络检测");
    EXPECT_EQ(gbkToUtf8(gbk), std::string("Qerno\xE7\xBD\x91\xE7\xBB\x9C\xE6\xA3\x80\xE6\xB5\x8B"));
    EXPECT_EQ(utf8ToGbk("Qerno\xE7\xBD\x91\xE7\xBB\x9C\xE6\xA3\x80\xE6\xB5\x8B"), gbk);
    EXPECT_EQ(utf16ToGbk(u"网络可通"), Text("网络可通"));
}

TEST(Codepage, FailedConversionsGiveEmpty) {
    EXPECT_EQ(utf8ToGbk("\xF0\x9F\x98\x80"), Text());  // outside the BMP
    EXPECT_EQ(utf8ToGbk("ab\xE7\xBD"), Text());          // truncated sequence
    EXPECT_EQ(utf8ToGbk("\xC0\xAF"), Text());            // overlong
    EXPECT_EQ(gbkToUtf16(Text("\x81")), std::u16string());  // lone lead byte
    EXPECT_EQ(utf16ToGbk(u"\u00e9\u0100\u0e01"), Text());  // Thai has no GBK form
    EXPECT_EQ(gbkToUtf8(Text()), std::string());
}

}  // namespace
