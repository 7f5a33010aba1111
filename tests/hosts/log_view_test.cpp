// The log page against a prepared `record` table: the four condition forms,
// the inclusive bounds, the 1000 newest rows, and clearing.
#include "hosts_fixture.h"
#include "runtime/datetime.h"
#include "store/statements.h"

#include <algorithm>

namespace {

using namespace MainWin;

class LogViewTest : public HostsTest {
protected:
    void SetUp() override {
        HostsTest::SetUp();
        // id, date, type: 3 abnormal, 4 timeout.
        const struct { const char* date; int type; } rows[] = {
            {"2026-03-01 23:59:59", 3},  // 1: a second before the range
            {"2026-03-02 00:00:00", 4},  // 2: on the start bound
            {"2026-03-02 12:30:00", 3},  // 3
            {"2026-03-02 18:00:00", 4},  // 4
            {"2026-03-02 23:59:59", 3},  // 5: on the end bound
            {"2026-03-03 00:00:00", 4},  // 6: a second after
        };
        for (auto r : rows)
            ASSERT_TRUE(db().execute(LogInsertSql("h'1", "127.0.0.1", 7, 42, 255, r.date, r.type)));
    }

    std::vector<int> shownIds() {
        std::vector<int> ids;
        for (int i = 0, n = itemCount(logList()); i < n; ++i) ids.push_back(itemData(logList(), i));
        return ids;
    }

    void filter(bool byTime, int typeIndex) {
        setProperty(unitOf(mainWindow(), 选择框_时间), Property::Checked, static_cast<std::int32_t>(byTime));
        setProperty(unitOf(mainWindow(), 日期框_开始日期), Property::DateValue, dateTimeFromCivil({2026, 3, 2, 0, 0, 0}));
        setProperty(unitOf(mainWindow(), 日期框_结束日期), Property::DateValue, dateTimeFromCivil({2026, 3, 2, 23, 59, 59}));
        setProperty(unitOf(mainWindow(), 组合框1), Property::ComboSelection, typeIndex);
    }
};

TEST_F(LogViewTest, EachConditionFormShowsTheMatchingRowsNewestFirst) {
    const struct { bool byTime; int typeIndex; std::vector<int> ids; } cases[] = {
        {false, 0, {6, 5, 4, 3, 2, 1}},
        {true, 0, {5, 4, 3, 2}},  // both bounds inclusive
        {false, 1, {5, 3, 1}},    // "异常"
        {false, 2, {6, 4, 2}},    // "超时"
        {true, 1, {5, 3}},
        {true, 2, {4, 2}},
        {false, -1, {6, 5, 4, 3, 2, 1}},  // no selection: no type filter
    };
    for (const auto& c : cases) {
        filter(c.byTime, c.typeIndex);
        uiActions().queryLog();
        EXPECT_EQ(shownIds(), c.ids) << c.byTime << " " << c.typeIndex;
    }
    filter(true, 0);
    uiActions().queryLog();
    ASSERT_EQ(itemCount(logList()), 4);
    EXPECT_EQ(rowTexts(logList(), 0, 5), (std::vector<Text>{"2026-03-02 23:59:59", "h'1", "127.0.0.1", "42 ms", "延迟过高"}));
    EXPECT_EQ(rowTexts(logList(), 1, 5), (std::vector<Text>{"2026-03-02 18:00:00", "h'1", "127.0.0.1", "42 ms", "网络不通"}));
}

TEST_F(LogViewTest, OnlyTheThousandNewestRowsAreShown) {
    ASSERT_TRUE(db().beginTransaction());
    for (int i = 0; i < 1200; ++i)
        db().execute(LogInsertSql("bulk", "127.0.0.1", 7, i, 0, "2026-03-04 10:00:00", 4));
    ASSERT_TRUE(db().commitTransaction());
    filter(false, 2);
    uiActions().queryLog();
    auto ids = shownIds();
    ASSERT_EQ(ids.size(), 1000u);
    EXPECT_EQ(ids.front(), 1206);
    EXPECT_EQ(ids.back(), 207);
    EXPECT_TRUE(std::is_sorted(ids.rbegin(), ids.rend()));
}

TEST_F(LogViewTest, ClearAsksFirstAndEmptiesTableAndList) {
    filter(false, 0);
    uiActions().queryLog();
    BoxAnswers no({IDNO});
    uiActions().clearLog();
    no.join();
    ASSERT_EQ(no.texts.size(), 1u);
    EXPECT_EQ(no.texts[0], L"\u662f\u5426\u6e05\u7a7a\u6240\u6709\u65e5\u5fd7\uff1f");  // 是否清空所有日志？
    EXPECT_EQ(no.owners[0], mainWindow().handle());
    EXPECT_EQ(scalar("select count(*) from record"), 6);
    EXPECT_EQ(itemCount(logList()), 6);

    BoxAnswers yes({IDYES, IDOK});
    uiActions().clearLog();
    yes.join();
    ASSERT_EQ(yes.texts.size(), 2u);
    EXPECT_EQ(yes.texts[1], L"\u64cd\u4f5c\u6210\u529f");  // 操作成功
    EXPECT_EQ(yes.owners[1], mainWindow().handle());
    EXPECT_EQ(scalar("select count(*) from record"), 0);
    EXPECT_EQ(itemCount(logList()), 0);
}

TEST_F(LogViewTest, AFailedClearSaysSoAndKeepsTheList) {
    filter(false, 0);
    uiActions().queryLog();
    ASSERT_TRUE(db().execute("ALTER TABLE record RENAME TO record_kept"));
    BoxAnswers answers({IDYES, IDOK});
    uiActions().clearLog();
    answers.join();
    ASSERT_EQ(answers.texts.size(), 2u);
    EXPECT_EQ(answers.texts[1], L"\u64cd\u4f5c\u5931\u8d25");  // 操作失败
    EXPECT_EQ(itemCount(logList()), 6);
    EXPECT_EQ(scalar("select count(*) from record_kept"), 6);
    ASSERT_TRUE(db().execute("ALTER TABLE record_kept RENAME TO record"));
}

}  // namespace
