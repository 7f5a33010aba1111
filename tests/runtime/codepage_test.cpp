// GBK <-> UTF-16 <-> UTF-8 at the program's boundaries. Built natively
// (iconv) and for Windows (the system's code page 936 under Wine): the same
// table holds for both halves.
#include <gtest/gtest.h>

#include "runtime/codepage.h"

namespace {

TEST(Codepage, RoundTripsChineseThroughUtf16AndUtf8) {
    const Text gbk = "Qerno网络检测";
    EXPECT_EQ(gbkToUtf16(gbk), u"Qerno网络检测");
    EXPECT_EQ(gbkToUtf8(gbk), std::string("Qerno\xE7\xBD\x91\xE7\xBB\x9C\xE6\xA3\x80\xE6\xB5\x8B"));
    EXPECT_EQ(utf8ToGbk("Qerno\xE7\xBD\x91\xE7\xBB\x9C\xE6\xA3\x80\xE6\xB5\x8B"), gbk);
    EXPECT_EQ(utf16ToGbk(u"网络可通"), Text("网络可通"));
    EXPECT_EQ(gbkToUtf8(Text()), std::string());
    EXPECT_EQ(utf16ToGbk(u""), Text());
}

// Each character GBK lacks is one "?", the rest converts as before: a host
// name or folder with one such character is never emptied into "no value".
TEST(Codepage, CharactersGbkLacksBecomeOneQuestionMarkEach) {
    const struct {
        std::u16string utf16;
        Text gbk;
        const char* why;
    } cases[] = {
        {u"主机\U0001F600", "主机?", "an emoji: a surrogate pair is one character"},
        {u"\U0001F600\U0001F600", "??", "two emoji side by side"},
        {u"\uc11c\ubc84" u"1", "??1", "Korean"},
        {u"\u3400\u3401", "??", "CJK Extension A"},
        {u"a\U0001F600b\uc11c" u"c\u3400d网", "a?b?c?d网", "mixed, each lost character in its place"},
        {u"\u0e01", "?", "Thai"},
        {u"\u00c0", "?", "no best-fit look-alike ('A'): the loss must show"},
        {u"x\xD800y", "x?y", "a lone high surrogate"},
        {u"\xDC00", "?", "a lone low surrogate"},
        {u"?", "?", "a real question mark stays one"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(utf16ToGbk(c.utf16), c.gbk);
        EXPECT_FALSE(fitsGbk(c.utf16) && c.gbk != Text("?"));
        EXPECT_EQ(utf8ToGbk(utf16ToUtf8(c.utf16)), c.gbk);  // the same from the database's side
    }
    EXPECT_TRUE(fitsGbk(u"?"));
}

TEST(Codepage, TellsWhetherATextFitsGbk) {
    EXPECT_TRUE(fitsGbk(u""));
    EXPECT_TRUE(fitsGbk(u"Qerno网络检测 127.0.0.1"));
    EXPECT_TRUE(fitsGbk(u"\u00e0\u00e9"));  // pinyin letters GBK has
    EXPECT_FALSE(fitsGbk(u"网络\U0001F600"));
    EXPECT_FALSE(fitsGbk(u"\uc11c"));
    EXPECT_FALSE(fitsGbk(u"\u3400"));
    EXPECT_TRUE(utf8FitsGbk("\xE7\xBD\x91"));        // 网
    EXPECT_FALSE(utf8FitsGbk("\xF0\x9F\x98\x80"));   // an emoji
    EXPECT_FALSE(utf8FitsGbk("\xEC\x84\x9C"));       // 서
    EXPECT_FALSE(utf8FitsGbk("ab\xC0\xAF"));         // overlong: malformed
}

// Broken bytes from another program become "?" where they stand; what
// follows them still converts.
TEST(Codepage, MalformedBytesBecomeQuestionMarks) {
    const struct {
        std::string utf8;
        Text gbk;
        const char* why;
    } utf8Cases[] = {
        {"ab\xE7\xBD", "ab??", "a truncated sequence: one per byte"},
        {"\xC0\xAF" "c", "??c", "overlong"},
        {"\xED\xA0\x80", "???", "an encoded surrogate"},
        {"\xF4\x90\x80\x80", "????", "past U+10FFFF"},
        {"\x80\xE7\xBD\x91", "?网", "a stray continuation byte"},
    };
    for (const auto& c : utf8Cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
    }
    EXPECT_EQ(gbkToUtf16(Text("\x81")), u"?");           // a lone lead byte
    EXPECT_EQ(gbkToUtf16(Text("网\xFF络")), u"网?络");   // a byte that starts nothing
}

TEST(Codepage, Utf8AndUtf16KeepCharactersOutsideTheBasicPlane) {
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(utf16ToUtf8(u"\U0001F600x"), std::string("\xF0\x9F\x98\x80x"));
    EXPECT_EQ(utf16ToUtf8(u"\xD800"), std::string("\xEF\xBF\xBD"));  // lone surrogate: U+FFFD
}

}  // namespace
