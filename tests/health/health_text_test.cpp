#include "health/health_text.h"
#include "health/notice.h"
#include "health/tray_summary.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HealthText, DurationsInChineseUnits) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0, "0秒"},         {-3, "0秒"},            // clocks can disagree by a little
        {37, "37秒"},       {37.6, "38秒"},         // whole seconds, rounded
        {60, "1分"},        {135, "2分15秒"},       // a zero second unit is left out
        {3600, "1小时"},    {3900 + 59, "1小时5分"},  // two units at most
        {86400 * 3 + 7200, "3天2小时"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.seconds).str(), c.text) << c.seconds;
}

TEST(HealthText, CutsWholeCharactersAndMarksTheCut) {
    EXPECT_EQ(CharacterCount("ab中文"), 4u);
    EXPECT_EQ(CutToCharacters("ab中文", 4).str(), "ab中文");
    EXPECT_EQ(CutToCharacters("ab中文", 3).str(), "ab…");
    EXPECT_EQ(CutToCharacters("中文中文", 3).str(), "中文…") << "never half a character";
    EXPECT_EQ(CutToCharacters("abcdef", 1).str(), "…");
}

TEST(Notice, ALongListIsCutToTheBalloon) {
    std::vector<NoticeItem> items;
    for (int i = 0; i < 40; ++i) items.push_back({NoticeKind::down, {Text("远端服务器" + std::to_string(i)), "198.18.1.1"}});
    const Notice n = ComposeNotice(items);
    EXPECT_EQ(CharacterCount(n.text), kBalloonTextChars);
    EXPECT_EQ(n.text.str().rfind("…"), n.text.size() - std::string("…").size());
    EXPECT_EQ(n.text.str().rfind("40 台主机中断：远端服务器0、远端服务器1", 0), 0u);
}

TEST(Notice, AMixedGroupHasALinePerKindUnderTheGravestTitle) {
    NoticeItem up{NoticeKind::up, {"a", "198.18.1.1"}};
    up.duration = 5;
    NoticeItem up2{NoticeKind::up, {"b", "198.18.1.2"}};
    up2.duration = 70;
    const Notice n = ComposeNotice({up, {NoticeKind::down, {"c", "198.18.1.3"}}, up2});
    EXPECT_EQ(n.title.str(), "主机中断");
    EXPECT_TRUE(n.warning);
    EXPECT_EQ(n.text.str(), "主机中断：c（198.18.1.3）\n2 台主机恢复：a（5秒）、b（1分10秒）");
}

TEST(TrayTip, CountsAndAsManyDownNamesAsFit) {
    TraySummary s;
    EXPECT_EQ(TrayTip(s).str(), "Qerno网络检测\n没有运行的主机");
    s.level = TrayLevel::down;
    s.normal = 12, s.high = 1, s.down = 2;
    s.downNames = {"办公网关", "离线主机"};
    EXPECT_EQ(TrayTip(s).str(), "Qerno网络检测\n正常 12 · 延迟高 1 · 中断 2：办公网关、离线主机");
    s.downNames.assign(30, "远端服务器");
    const Text tip = TrayTip(s);
    EXPECT_LE(CharacterCount(tip), kTrayTipChars);
    EXPECT_EQ(tip.str().substr(tip.size() - std::string("远端服务器、…").size()), "远端服务器、…");
}

}  // namespace
