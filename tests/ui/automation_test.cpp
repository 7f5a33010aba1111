// Automation objects on Wine's XML DOM component: creation by ProgID and by
// class id, calls by name with text, number and object arguments, shared
// objects, and the empty results of failed calls.
#include <gtest/gtest.h>

#include "runtime/win32/automation.h"

namespace {

ComObject newDocument() {
    ComObject doc;
    EXPECT_TRUE(createObject(doc, "Microsoft.XMLDOM"));
    return doc;
}

TEST(Automation, CreatesByProgIdAndClassIdAndRefusesUnknownNames) {
    for (const char* id : {"Microsoft.XMLDOM", "MSXML.DOMDocument", "{2933BF90-7B36-11D2-B20E-00C04F983E60}"}) {
        ComObject doc;
        EXPECT_TRUE(createObject(doc, id)) << id;
        EXPECT_FALSE(isEmptyObject(doc)) << id;
    }
    ComObject kept = newDocument();
    IDispatch* before = kept.get();
    EXPECT_FALSE(createObject(kept, "Qerno.NoSuchThing"));
    EXPECT_FALSE(createObject(kept, "{00000000-0000-0000-0000-00000000DEAD}"));
    EXPECT_EQ(kept.get(), before);  // a failed creation leaves the variable as it was
    EXPECT_NE(lastAutomationError(), S_OK);
}

TEST(Automation, BuildsAndReadsADocument) {
    ComObject doc = newDocument();
    ComObject root = callObjectMethod(doc, "createElement", {"LVINFO"});
    ASSERT_FALSE(isEmptyObject(root));
    callMethod(root, "setAttribute", {"hWnd", 1234567});
    callMethod(root, "setAttribute", {"ratio", 2.5});
    callMethod(doc, "appendChild", {root});
    EXPECT_EQ(callNumberMethod(root, "getAttribute", {"hWnd"}), 1234567.0);
    EXPECT_EQ(callNumberMethod(root, "getAttribute", {"ratio"}), 2.5);

    ComObject cell = callObjectMethod(doc, "createElement", {"Item3.2"});
    callMethod(root, "appendChild", {cell});
    ComObject found = callObjectMethod(callObjectMethod(doc, "getElementsByTagName", {"Item3.2"}), "item", {0});
    EXPECT_FALSE(isEmptyObject(found));
    ComObject first = getObjectProperty(doc, "documentElement");
    EXPECT_EQ(callNumberMethod(getObjectProperty(first, "childNodes"), "length"), 1.0);
    // A name that is nowhere: the list is empty, its item 0 nothing.
    ComObject none = callObjectMethod(callObjectMethod(doc, "getElementsByTagName", {"Item9.9"}), "item", {0});
    EXPECT_TRUE(isEmptyObject(none));
}

TEST(Automation, FailedCallsGiveEmptyResultsAndKeepTheCode) {
    ComObject doc = newDocument();
    EXPECT_EQ(callNumberMethod(doc, "noSuchMember"), 0.0);
    EXPECT_NE(lastAutomationError(), S_OK);
    EXPECT_TRUE(isEmptyObject(callObjectMethod(doc, "noSuchMember", {1, "x"})));
    ComObject empty;
    callMethod(empty, "appendChild", {doc});
    EXPECT_EQ(lastAutomationError(), E_POINTER);
    EXPECT_EQ(callNumberMethod(empty, "length"), 0.0);
    // A missing attribute reads as null: 0, not an error value.
    ComObject e = callObjectMethod(doc, "createElement", {"x"});
    EXPECT_EQ(callNumberMethod(e, "getAttribute", {"absent"}), 0.0);
}

TEST(Automation, AssignSharesAndClearReleasesOneHolder) {
    ComObject doc = newDocument();
    ComObject other;
    assignObject(other, doc);
    EXPECT_EQ(other.get(), doc.get());
    clearObject(doc);
    EXPECT_TRUE(isEmptyObject(doc));
    // The shared object lives on in the other variable.
    ComObject e = callObjectMethod(other, "createElement", {"still"});
    EXPECT_FALSE(isEmptyObject(e));
    assignObject(other, other);
    EXPECT_FALSE(isEmptyObject(other));
}

}  // namespace
