// The host menu and the host dialog on a real database file: add, edit,
// save (with hostile input), delete, and the tasks they start and stop.
#include "hosts_fixture.h"

#include <commctrl.h>
#include "runtime/convert.h"
#include "ui/host_actions.h"

namespace {

using namespace HostDlg;

struct Typed {
    std::string name, address;
    std::string time[4] = {"30", "100", "200", "500"};
    bool record = false;
};

class HostActionsTest : public HostsTest {
protected:
    void type(int unit, const Text& text) { setProperty(dialogUnit(unit), Property::Content, text); }
    Text shown(int unit) { return std::get<Text>(getProperty(dialogUnit(unit), Property::Content)); }
    bool isChecked(int unit) { return std::get<bool>(getProperty(dialogUnit(unit), Property::Checked)); }

    void fill(const Typed& t) {
        const int boxes[4] = {编辑框_网络良好, 编辑框_网络正常, 编辑框_网络异常, 编辑框_网络超时};
        type(编辑框_备注名称, t.name);
        type(编辑框_通讯地址, t.address);
        for (int i = 0; i < 4; ++i) type(boxes[i], t.time[i]);
        setProperty(dialogUnit(选择框1), Property::Checked, static_cast<std::int32_t>(t.record));
    }

    // Saves what the dialog holds; the new or edited host's id.
    void save() {
        uiActions().saveHost();
        EXPECT_TRUE(pumpUntil([] { return !hostDialog().loaded(); }));
    }

    int addThroughDialog(const Typed& t) {
        uiActions().addHost();
        fill(t);
        save();
        ::Unit list = hostList();
        return itemData(list, itemCount(list) - 1);
    }

    void select(const std::vector<int>& rows) {
        HWND list = windowHandle(hostList());
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    int logRows(int id) { return scalar("select count(*) from record where list_id = " + std::to_string(id)); }
};

TEST_F(HostActionsTest, AddOpensTheTemplateAndSavesEveryFieldAtTheEndOfTheList) {
    int first = addThroughDialog({"first", "127.0.0.2"});
    uiActions().addHost();
    ASSERT_TRUE(hostDialog().loaded());
    EXPECT_EQ(std::get<Text>(getProperty(unitOf(hostDialog()), Property::Title)), Text("添加"));
    EXPECT_EQ(shown(编辑框_备注名称), Text(""));
    EXPECT_EQ(shown(编辑框_网络良好), Text("30"));
    EXPECT_EQ(shown(编辑框_网络超时), Text("500"));
    EXPECT_FALSE(isChecked(选择框1));
    EXPECT_TRUE(isChecked(选择框2));
    // A second "添加" keeps the open dialog and what it holds.
    HWND open = hostDialog().handle();
    type(编辑框_备注名称, "kept");
    uiActions().addHost();
    EXPECT_EQ(hostDialog().handle(), open);
    EXPECT_EQ(shown(编辑框_备注名称), Text("kept"));

    fill({"网关 'a\" b", "127.0.0.1", {"10", "20", "30", "40"}, true});
    setProperty(dialogUnit(颜色选择器_网络异常), Property::Colour, 0x00123456);
    save();
    ::Unit list = hostList();
    ASSERT_EQ(itemCount(list), 2);
    int id = itemData(list, 1);
    EXPECT_GT(id, first);
    EXPECT_EQ(rowTexts(list, 1, 5), (std::vector<Text>{"网关 'a\" b", "127.0.0.1", "", "", "正常记录"}));
    SqliteDataset row;
    ASSERT_TRUE(row.open(("select * from serverlist where id = " + std::to_string(id)).c_str(), db()));
    ASSERT_TRUE(row.requery() && row.moveNext());
    Text name, ip;
    row.read("servername", name);
    row.read("serverip", ip);
    EXPECT_EQ(name, Text("网关 'a\" b"));
    EXPECT_EQ(ip, Text("127.0.0.1"));
    const std::pair<const char*, int> ints[] = {
        {"time1", 10}, {"time2", 20}, {"time3", 30}, {"time4", 40}, {"color1", 0x008000},
        {"color2", 0x0080FF}, {"color3", 0x123456}, {"color4", 0x606060}, {"record", 1}, {"auto", 1}};
    for (auto [field, expected] : ints) {
        int value = -1;
        EXPECT_TRUE(row.read(field, value)) << field;
        EXPECT_EQ(value, expected) << field;
    }
    row.close();
    // Its task started at once and reports.
    EXPECT_TRUE(pumpUntil([&] { return reports(id) > 0; }, 2000));
}

TEST_F(HostActionsTest, HostileInputEndsInAStoredHostThatLoadsAgain) {
    std::string wide300;
    for (int i = 0; i < 300; ++i) wide300 += "测";
    const struct {
        Typed typed;
        std::string name, address;
        int time[4];
    } cases[] = {
        {{"", ""}, "[未命名]", "127.0.0.1", {30, 100, 200, 500}},
        {{"it's \"x\"", " 127.0.0.1\t", {"60000", "--5", "", "1-2"}},
         "it's \"x\"", "127.0.0.1", {60000, 0, 0, 1}},
        {{"' or '1'='1", "a-b.qerno.test", {"0", "0", "0", "007"}}, "' or '1'='1", "a-b.qerno.test", {0, 0, 0, 7}},
        // 255 bytes at most, a double-byte character never cut in half.
        {{"a" + wide300, "127.0.0.1"}, "a" + wide300.substr(0, 254), "127.0.0.1", {30, 100, 200, 500}},
        {{wide300, "127.0.0.1"}, wide300.substr(0, 254), "127.0.0.1", {30, 100, 200, 500}},
    };
    for (const auto& c : cases) {
        int id = addThroughDialog(c.typed);
        ASSERT_GT(id, 0) << c.name;
        ::Unit list = hostList();
        int row = itemCount(list) - 1;
        EXPECT_EQ(itemText(list, row, 0), Text(c.name));
        EXPECT_EQ(itemText(list, row, 1), Text(c.address));
        // The stored row opens in the dialog exactly as saved...
        select({row});
        uiActions().editHost();
        ASSERT_TRUE(hostDialog().loaded());
        EXPECT_EQ(shown(编辑框_备注名称), Text(c.name));
        EXPECT_EQ(shown(编辑框_通讯地址), Text(c.address));
        const int boxes[4] = {编辑框_网络良好, 编辑框_网络正常, 编辑框_网络异常, 编辑框_网络超时};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(scalar("select time" + std::to_string(i + 1) + " from serverlist where id = " + std::to_string(id)),
                      c.time[i]) << c.name << " time" << i + 1;
            EXPECT_EQ(shown(boxes[i]), c.time[i] ? toText(c.time[i]) : Text()) << i;
        }
        hostDialog().destroyNow();
        pump();
        // ...and its task starts from it.
        EXPECT_EQ(TaskControl(id, taskStart), Text());
        EXPECT_TRUE(pumpUntil([&] { return reports(id) > 0; }, 2000)) << c.name;
    }
    EXPECT_EQ(scalar("select count(*) from serverlist"), static_cast<int>(std::size(cases)));
}

// Input the probe would misread is refused with a message; the dialog stays
// open with what was typed, and nothing is stored.
TEST_F(HostActionsTest, AnAddressOrThresholdItCannotMonitorIsRefused) {
    const wchar_t* const badAddress = L"\u5730\u5740\u683c\u5f0f\u4e0d\u6b63\u786e";  // 地址格式不正确
    const wchar_t* const badThreshold =
        L"\u9608\u503c\u5e94\u5728 0 \u5230 60000 \u4e4b\u95f4";  // 阈值应在 0 到 60000 之间
    const struct {
        Typed typed;
        const wchar_t* message;
    } cases[] = {
        {{"short", "1.2.3"}, badAddress},          // would probe 1.2.0.3
        {{"big", "256.1.1.1"}, badAddress},        // would be looked up as a name
        {{"quote", "127.0.0.1' or '1'='1"}, badAddress},
        {{"dash", "-"}, badAddress},
        {{"inner", "127.0.0 .1"}, badAddress},
        {{"neg", "127.0.0.1", {"-5", "100", "200", "500"}}, badThreshold},
        {{"huge", "127.0.0.1", {"30", "100", "200", "99999999999"}}, badThreshold},
        {{"over", "127.0.0.1", {"30", "60001", "200", "500"}}, badThreshold},
    };
    for (const auto& c : cases) {
        uiActions().addHost();
        fill(c.typed);
        BoxAnswers ok({IDOK});
        uiActions().saveHost();
        ok.join();
        ASSERT_EQ(ok.texts.size(), 1u) << c.typed.name;
        EXPECT_EQ(ok.texts[0], c.message) << c.typed.name;
        EXPECT_EQ(ok.owners[0], mainWindow().handle());
        ASSERT_TRUE(hostDialog().loaded()) << c.typed.name;
        EXPECT_EQ(shown(编辑框_通讯地址), Text(c.typed.address));
        EXPECT_EQ(shown(编辑框_网络良好), Text(c.typed.time[0]));
        hostDialog().destroyNow();
        pump();
    }
    EXPECT_EQ(scalar("select count(*) from serverlist"), 0);
    EXPECT_EQ(itemCount(hostList()), 0);
}

// A file that refuses the write (read-only, another program's lock): the
// user is told and keeps the dialog with the values to save again later.
TEST_F(HostActionsTest, ASaveTheFileRefusesKeepsTheDialog) {
    ASSERT_TRUE(db().execute("CREATE TRIGGER refuse_add BEFORE INSERT ON serverlist"
                             " BEGIN SELECT RAISE(ABORT, 'read-only'); END"));
    uiActions().addHost();
    fill({"kept", "127.0.0.1"});
    BoxAnswers ok({IDOK});
    uiActions().saveHost();
    ok.join();
    ASSERT_EQ(ok.texts.size(), 1u);
    EXPECT_EQ(ok.texts[0], L"\u4fdd\u5b58\u5931\u8d25");  // 保存失败
    ASSERT_TRUE(hostDialog().loaded());
    EXPECT_EQ(shown(编辑框_备注名称), Text("kept"));
    EXPECT_EQ(itemCount(hostList()), 0);
    EXPECT_EQ(scalar("select count(*) from serverlist"), 0);
}

// A host stored before these rules (or by another program) still edits and
// saves as long as its odd values are left as they are.
TEST_F(HostActionsTest, AStoredOddHostSavesWithItsValuesUntouched) {
    int id = addThroughDialog({"odd", "127.0.0.1"});
    ASSERT_TRUE(db().execute(Text("update serverlist set serverip = '1.2.3', time1 = -5 where id = " + std::to_string(id))));
    select({0});
    uiActions().editHost();
    ASSERT_TRUE(hostDialog().loaded());
    EXPECT_EQ(shown(编辑框_通讯地址), Text("1.2.3"));
    type(编辑框_备注名称, "renamed");
    save();
    EXPECT_EQ(scalar("select count(*) from serverlist where serverip = '1.2.3' and time1 = -5"
                     " and servername = 'renamed'"), 1);
}

// A typed character the code page lacks would be stored as "?" (and an
// address with it would name another host): refused, naming the field, with
// the typed text kept in the box as it was.
TEST_F(HostActionsTest, TypedCharactersTheCodePageLacksAreRefusedByField) {
    const std::wstring badName = L"\u540d\u79f0\u4e2d\u542b\u6709\u65e0\u6cd5\u8bc6\u522b\u7684\u5b57\u7b26";  // 名称中含有无法识别的字符
    const std::wstring badAddress = L"\u5730\u5740\u4e2d\u542b\u6709\u65e0\u6cd5\u8bc6\u522b\u7684\u5b57\u7b26";  // 地址中含有无法识别的字符
    const struct {
        std::wstring name, address;
        const std::wstring& message;
        const char* why;
    } cases[] = {
        {L"\u4e3b\u673a\U0001F600", L"127.0.0.1", badName, "an emoji in the name"},
        {L"\uc11c\ubc84", L"127.0.0.1", badName, "Korean name"},
        {L"lo", L"\u3400.qerno.test", badAddress, "CJK Extension A in the address"},
        {L"lo", L"127.0.0.1\U0001F600", badAddress, "an emoji after an address"},
        {L"\U0001F600", L"\uc11c", badName, "both: the name is said first"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        uiActions().addHost();
        fill({"x", "127.0.0.1"});
        SetWindowTextW(windowHandle(dialogUnit(编辑框_备注名称)), c.name.c_str());
        SetWindowTextW(windowHandle(dialogUnit(编辑框_通讯地址)), c.address.c_str());
        BoxAnswers ok({IDOK});
        uiActions().saveHost();
        ok.join();
        ASSERT_EQ(ok.texts.size(), 1u);
        EXPECT_EQ(ok.texts[0], c.message);
        ASSERT_TRUE(hostDialog().loaded());
        EXPECT_EQ(e2e::text(windowHandle(dialogUnit(编辑框_备注名称))), c.name);
        EXPECT_EQ(e2e::text(windowHandle(dialogUnit(编辑框_通讯地址))), c.address);
        hostDialog().destroyNow();
        pump();
    }
    EXPECT_EQ(scalar("select count(*) from serverlist"), 0);
    EXPECT_EQ(itemCount(hostList()), 0);
}

// Another program stored UTF-8 the dialog can only show with "?": a save
// that leaves the field as shown keeps the stored characters; an edited
// field is saved as typed.
TEST_F(HostActionsTest, StoredTextsTheDialogCannotShowAreKeptUnlessEdited) {
    const int id = addThroughDialog({"plain", "127.0.0.1"});
    const std::string row = " where id = " + std::to_string(id), where = " from serverlist" + row;
    // 主机😀 and 서버.qerno.test, as the other program wrote them.
    ASSERT_TRUE(db().execute(Text("update serverlist set servername = cast(X'E4B8BBE69CBAF09F9880' as text),"
                                  " serverip = cast(X'EC849CEBB2842E7165726E6F2E74657374' as text)" + row)));
    select({0});
    uiActions().editHost();
    ASSERT_TRUE(hostDialog().loaded());
    EXPECT_EQ(shown(编辑框_备注名称), Text("主机?"));
    EXPECT_EQ(shown(编辑框_通讯地址), Text("??.qerno.test"));
    type(编辑框_网络良好, "40");
    save();
    EXPECT_EQ(scalar("select count(*)" + where + " and hex(servername) = 'E4B8BBE69CBAF09F9880'"
                     " and hex(serverip) = 'EC849CEBB2842E7165726E6F2E74657374' and time1 = 40"), 1);

    select({0});
    uiActions().editHost();
    ASSERT_TRUE(hostDialog().loaded());
    type(编辑框_备注名称, "renamed");
    save();
    EXPECT_EQ(scalar("select count(*)" + where + " and servername = 'renamed'"
                     " and hex(serverip) = 'EC849CEBB2842E7165726E6F2E74657374'"), 1);
}

TEST_F(HostActionsTest, EditLoadsTheHostAndRestartsItsTaskWithTheNewSettings) {
    int id = addThroughDialog({"lo", "127.0.0.1"});
    addThroughDialog({"other", "127.0.0.1"});
    ASSERT_TRUE(pumpUntil([&] { return reports(id) > 0; }, 2000));
    EXPECT_EQ(logRows(id), 0);  // loopback is fast and the log is off

    select({0});
    uiActions().editHost();
    ASSERT_TRUE(hostDialog().loaded());
    EXPECT_EQ(std::get<Text>(getProperty(unitOf(hostDialog()), Property::Title)), Text("修改记录"));
    EXPECT_EQ(shown(编辑框_备注名称), Text("lo"));
    EXPECT_EQ(shown(编辑框_网络异常), Text("200"));
    // Any latency at or above 0 ms is "abnormal": every cycle logs now.
    type(编辑框_网络异常, "0");
    type(编辑框_备注名称, "lo2");
    setProperty(dialogUnit(选择框1), Property::Checked, 1);
    save();
    ::Unit list = hostList();
    ASSERT_EQ(itemCount(list), 2);
    EXPECT_EQ(rowTexts(list, 0, 5), (std::vector<Text>{"lo2", "127.0.0.1", "", "", "正常记录"}));
    EXPECT_EQ(scalar("select time3 from serverlist where id = " + std::to_string(id)), 0);
    EXPECT_EQ(scalar("select count(*) from serverlist"), 2);
    EXPECT_TRUE(pumpUntil([&] { return logRows(id) >= 2; }, 3500));
    EXPECT_EQ(scalar("select count(*) from record where list_id = " + std::to_string(id) + " and type <> 3"), 0);

    // Log off again: once the old task's last cycle is done, no more rows.
    select({0});
    uiActions().editHost();
    setProperty(dialogUnit(选择框1), Property::Checked, 0);
    save();
    EXPECT_EQ(itemText(list, 0, 4), Text("停止记录"));
    pumpFor(1500);
    int settled = logRows(id);
    resetReports();
    pumpFor(2500);
    EXPECT_EQ(logRows(id), settled);
    EXPECT_GT(reports(id), 0);  // the new task runs, it only does not log
}

TEST_F(HostActionsTest, DeleteRemovesExactlyTheSelectedHostsAndEndsTheirTasks) {
    std::vector<int> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(addThroughDialog({"h" + std::to_string(i), "127.0.0.1", {"30", "100", "0", "500"}, true}));
    ASSERT_TRUE(pumpUntil([&] { for (int id : ids) if (logRows(id) == 0) return false; return true; }, 3000));
    select({0, 2, 3});
    uiActions().deleteHosts();
    ::Unit list = hostList();
    ASSERT_EQ(itemCount(list), 2);
    EXPECT_EQ(itemData(list, 0), ids[1]);
    EXPECT_EQ(itemData(list, 1), ids[4]);
    EXPECT_EQ(itemText(list, 1, 0), Text("h4"));
    EXPECT_EQ(column("select id from serverlist order by id"), (std::vector<int>{ids[1], ids[4]}));

    pumpFor(1500);  // a stopped task may finish the cycle it was in
    resetReports();
    std::map<int, int> logged;
    for (int id : ids) logged[id] = logRows(id);
    pumpFor(2500);
    for (int gone : {ids[0], ids[2], ids[3]}) {
        EXPECT_EQ(reports(gone), 0) << gone;
        EXPECT_EQ(logRows(gone), logged[gone]) << gone;
    }
    for (int kept : {ids[1], ids[4]}) {
        EXPECT_GT(reports(kept), 0) << kept;
        EXPECT_GT(logRows(kept), logged[kept]) << kept;
    }
}

TEST_F(HostActionsTest, WithoutACurrentRowEditStartAndStopDoNothing) {
    int id = addThroughDialog({"one", "127.0.0.1"});
    select({});
    uiActions().editHost();
    EXPECT_FALSE(hostDialog().loaded());
    uiActions().stopSelectedTask();
    resetReports();
    pumpFor(2200);
    EXPECT_GT(reports(id), 0);  // still running

    // Stop all, then start the selected one again.
    uiActions().stopAllTasks();
    pumpFor(1500);
    resetReports();
    pumpFor(2200);
    EXPECT_EQ(reports(id), 0);
    select({0});
    uiActions().startSelectedTask();
    EXPECT_TRUE(pumpUntil([&] { return reports(id) > 0; }, 2000));
    uiActions().stopSelectedTask();
    pumpFor(1500);
    resetReports();
    uiActions().startAllTasks();
    EXPECT_TRUE(pumpUntil([&] { return reports(id) > 0; }, 2000));
}

}  // namespace
