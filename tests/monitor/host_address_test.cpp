// What the host dialog accepts as an address, one case a line with its reason.
#include <gtest/gtest.h>

#include <string>

#include "monitor/host_address.h"

namespace {

struct AddressCase {
    const char* typed;
    bool accepted;
    const char* why;
};

const AddressCase kAddressCases[] = {
    {"127.0.0.1", true, "four parts"},
    {"0.0.0.0", true, "0 is a part"},
    {"255.255.255.255", true, "255 is the largest part"},
    {"198.18.1.2", true, "test network"},
    {"1.2.3", false, "the short form would probe 1.2.0.3"},
    {"256.1.1.1", false, "a part over 255 is neither an address nor a name"},
    {"1.2.3.4.5", false, "five numeric parts"},
    {"1..2.3", false, "an empty part"},
    {"1.2.3.", false, "a trailing dot leaves an empty label"},
    {"0x7f.0.0.1", false, "hex parts"},
    {"1.2.3.0004", false, "more than three digits"},
    {"localhost", true, "one label"},
    {"slow.qerno.test", true, "dotted name"},
    {"a-b.example", true, "inner hyphen"},
    {"-a.example", false, "label starting with a hyphen"},
    {"a-.example", false, "label ending with a hyphen"},
    {"a_b.example", false, "underscore"},
    {"host name", false, "inner blank"},
    {"1.2.3.4a", true, "last label has a letter: a name"},
    {"web.123", false, "last label all digits"},
    {"网络", false, "not letters, digits or hyphens"},
    {"", false, "nothing"},
};

TEST(HostAddress, AcceptsDottedAddressesAndHostNamesOnly) {
    for (const AddressCase& c : kAddressCases)
        EXPECT_EQ(IsMonitorableAddress(c.typed), c.accepted) << c.typed << ": " << c.why;
}

TEST(HostAddress, NameAndLabelLengthLimits) {
    const std::string label63(63, 'a');
    EXPECT_TRUE(IsHostName(Text(label63)));
    EXPECT_FALSE(IsHostName(Text(label63 + "a")));
    // 4 labels of 63 and 3 dots: 255 characters, past the 253 limit.
    std::string name = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    ASSERT_EQ(name.size(), 253u);
    EXPECT_TRUE(IsHostName(Text(name)));
    EXPECT_FALSE(IsHostName(Text(name + "b")));
}

TEST(HostAddress, TrimsBlanksAtBothEndsOnly) {
    EXPECT_EQ(TrimBlanks(" 127.0.0.1 "), Text("127.0.0.1"));
    EXPECT_EQ(TrimBlanks("\t web \t"), Text("web"));
    EXPECT_EQ(TrimBlanks("a b"), Text("a b"));
    EXPECT_EQ(TrimBlanks("   "), Text());
}

TEST(HostAddress, ThresholdsFromZeroToAMinute) {
    EXPECT_FALSE(IsValidThreshold(-5));
    EXPECT_TRUE(IsValidThreshold(0));
    EXPECT_TRUE(IsValidThreshold(60000));
    EXPECT_FALSE(IsValidThreshold(60001));
}

}  // namespace
