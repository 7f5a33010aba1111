// The registry, the option record's defaults and the thread's crash texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crashguard/options.h"
#include "crashguard/str_map.h"
#include "crashguard/thread_context.h"

namespace {

TEST(StrMap, ExactKeysInsertionOrderAndReplacement) {
    StrMap map;
    EXPECT_EQ(map.get("_SEH.createThread.hook"), 0);
    map.set("_SEH.createThread.hook", 1);
    map.set("_SEH.AppGlobalOption", 0x12345678);
    map.set("_SEH.createThread.hook", 7);  // replaced, not appended
    EXPECT_EQ(map.size(), 2u);
    EXPECT_EQ(map.get("_SEH.createThread.hook"), 7);
    EXPECT_EQ(map.get("_SEH.AppGlobalOption"), 0x12345678);
    EXPECT_EQ(map.get("_seh.createthread.hook"), 0);  // case-sensitive
    EXPECT_EQ(map.get("_SEH.createThread.hoo"), 0);   // no prefix match
    EXPECT_EQ(map.get(""), 0);
}

TEST(CrashGuardOptions, DefaultsApplyOnceToAZeroedRecord) {
    CrashGuardOptions o;
    std::memset(&o, 0, sizeof o);
    applyDefaultOptions(o);
    EXPECT_EQ(o.showMessageBox, 1);
    EXPECT_EQ(o.crashCallback, nullptr);
    EXPECT_EQ(o.exitFaultingThreadOnly, 0);
    EXPECT_STREQ(o.ownerWindowClass, "Afx:10000000:b:10011:1900015:0");
    EXPECT_EQ(o.ignoreMsvcThrow, 1);
    EXPECT_EQ(o.skipOuterSystemFrames, 1);
    EXPECT_EQ(o.includeCallStack, 1);
    EXPECT_EQ(o.outermostFirst, 0);
    EXPECT_EQ(o.hijackReturnAddress, 1);
    EXPECT_EQ(o.maxExportDistance, 4096);
    EXPECT_EQ(o.reportEnabled, 0);
    EXPECT_EQ(o.initialised, 1);
    // A later copy of the crash guard finds the record defaulted and keeps
    // what the first one (or the user) changed.
    o.reportEnabled = 1;
    o.showMessageBox = 0;
    applyDefaultOptions(o);
    EXPECT_EQ(o.reportEnabled, 1);
    EXPECT_EQ(o.showMessageBox, 0);
}

std::string fullText(const ThreadContext& c, bool includeCallStack) {
    char buffer[1024];
    TextSink out(buffer, sizeof buffer);
    c.composeFullText(includeCallStack, out);
    return out.c_str();
}

TEST(ThreadContext, FullTextSectionsAndAttachedInformation) {
    ThreadContext c;
    EXPECT_EQ(fullText(c, true), "");
    c.setTexts("R\r\n", " a\r\n  b\r\n");
    EXPECT_EQ(fullText(c, true), "R\r\nCallStack:\r\n a\r\n  b\r\n");
    EXPECT_EQ(fullText(c, false), "R\r\n");
    c.setTexts("R\r\n", "");
    EXPECT_EQ(fullText(c, true), "R\r\n");  // no empty section

    c.setAttachedInformation(5, "版本 1.0");
    EXPECT_EQ(fullText(c, true), "R\r\n\r\n附属信息：版本 1.0\r\n");
    c.setAttachedInformation(-2, "x");
    c.setAttachedInformation(5, "版本 2.0");  // replaced in place
    EXPECT_EQ(fullText(c, true), "R\r\n\r\n附属信息：\r\n[5] = 版本 2.0\r\n[-2] = x\r\n");
    EXPECT_EQ(c.attachedInformation(5), Text("版本 2.0"));
    EXPECT_EQ(c.attachedInformation(6), Text());
}

TEST(TextSink, TruncatesInsteadOfOverrunning) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    TextSink out(buffer, 6);
    out.append("abc").appendHex8(0x1234ABCD).appendDecimal(-42);
    EXPECT_STREQ(out.c_str(), "abc12");
    EXPECT_EQ(out.size(), 5u);
    EXPECT_EQ(buffer[6], 'x');
    out.clear();
    out.appendDecimal(-2147483647 - 1);
    EXPECT_STREQ(out.c_str(), "-2147");
}

}  // namespace
