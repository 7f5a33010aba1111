// The about window's texts and link, and opening web addresses. The test
// registers a recorder program as the web handler (and puts it where
// Internet Explorer is looked for), so no browser ever starts.
#include "hosts_fixture.h"
#include "runtime/win32/registry.h"
#include "ui/about_actions.h"
#include "ui/about_window.h"
#include "ui/product_info.h"
#include "ui/web_links.h"

namespace {

const wchar_t* const kHandlerKey = L"HTTP\\shell\\open\\command";

std::wstring readAll(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string bytes(1 << 16, '\0');
    DWORD got = 0;
    ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    return e2e::wide(bytes);
}

std::wstring unixToWine(const char* unixPath) {
    std::wstring out = L"Z:" + e2e::wide(unixPath);
    for (auto& ch : out) if (ch == L'/') ch = L'\\';
    return out;
}

// The prefix's web handler and Internet Explorer as they were, put back
// when the test ends.
class SavedBrowser {
public:
    SavedBrowser() {
        wchar_t value[2048] = {};
        DWORD size = sizeof value;
        hadHandler_ = RegGetValueW(HKEY_CLASSES_ROOT, kHandlerKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) ==
                      ERROR_SUCCESS;
        handler_ = value;
        hadExplorer_ = MoveFileExW(explorer().c_str(), backup().c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
    ~SavedBrowser() {
        if (hadHandler_) setHandler(handler_);
        else RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kHandlerKey, nullptr);
        DeleteFileW(explorer().c_str());
        if (hadExplorer_) MoveFileExW(backup().c_str(), explorer().c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    static void setHandler(const std::wstring& command) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, kHandlerKey, nullptr, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    static void removeHandler() { RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kHandlerKey, nullptr); }
    static std::wstring explorer() { return toWide(kInternetExplorerPath); }

private:
    static std::wstring backup() { return explorer() + L".qerno-saved"; }
    bool hadHandler_ = false;
    bool hadExplorer_ = false;
    std::wstring handler_;
};

BOOL CALLBACK countAbout(HWND w, LPARAM n) {
    wchar_t title[16] = {};
    GetWindowTextW(w, title, 16);
    if (std::wstring(title) == L"\u5173\u4e8e") ++*reinterpret_cast<int*>(n);  // 关于
    return TRUE;
}

class AboutTest : public HostsTest {
protected:
    Text label(int unit) { return std::get<Text>(getProperty(unitOf(aboutWindow(), unit), Property::Content)); }
};

TEST_F(AboutTest, OpensOnceWithItsTextsAndLink) {
    ASSERT_TRUE(loadWindow(aboutWindow(), &mainWindow()));
    HWND open = aboutWindow().handle();
    EXPECT_EQ(label(AboutWin::标签_程序), Text("Qerno网络检测 1.0"));
    EXPECT_EQ(label(AboutWin::标签_作者), Text(ProductInfo::kRightsNotice));
    EXPECT_EQ(label(AboutWin::标签_其他), Text("更多软件请到官网下载"));
    EXPECT_EQ(label(AboutWin::标签_网址), Text(ProductInfo::kMakerSite));
    EXPECT_EQ(linkAddress(), Text(ProductInfo::kMakerSite));
    EXPECT_NE(std::string(ProductInfo::kMakerSite).find(".example/"), std::string::npos);
    ASSERT_TRUE(loadWindow(aboutWindow(), &mainWindow()));
    EXPECT_EQ(aboutWindow().handle(), open);
    int abouts = 0;
    EnumThreadWindows(GetCurrentThreadId(), countAbout, reinterpret_cast<LPARAM>(&abouts));
    EXPECT_EQ(abouts, 1);
    aboutWindow().destroyNow();
    pump();
}

TEST_F(AboutTest, WebAddressesGoToTheRegisteredHandlerElseToInternetExplorer) {
    std::wstring recorder = unixToWine(QERNO_LINK_RECORDER);
    std::wstring folder = recorder.substr(0, recorder.find_last_of(L'\\') + 1);
    std::wstring recorded = folder + L"recorded.txt";
    SavedBrowser saved;
    DeleteFileW(recorded.c_str());

    // A registered handler: the link and "更多软件" open the address through it.
    SavedBrowser::setHandler(L"\"" + recorder + L"\" \"%1\"");
    ASSERT_TRUE(loadWindow(aboutWindow(), &mainWindow()));
    uiActions().followLink();
    EXPECT_TRUE(pumpUntil([&] { return readAll(recorded).find(L"qerno.example") != std::wstring::npos; }, 10000));
    uiActions().openMakerSite();
    EXPECT_TRUE(pumpUntil([&] {
        std::wstring all = readAll(recorded);
        return std::count(all.begin(), all.end(), L'\n') == 2;
    }, 10000));
    std::wstring lines = readAll(recorded);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L'\n'), 2) << e2e::utf8(lines);
    EXPECT_NE(lines.find(L"http://www.qerno.example/"), std::wstring::npos) << e2e::utf8(lines);
    EXPECT_EQ(lines.find(L"-new"), std::wstring::npos) << e2e::utf8(lines);
    aboutWindow().destroyNow();
    pump();

    // None registered: Internet Explorer with " -new " and the address.
    DeleteFileW(recorded.c_str());
    SavedBrowser::removeHandler();
    ASSERT_TRUE(CopyFileW(recorder.c_str(), SavedBrowser::explorer().c_str(), FALSE));
    std::wstring ieRecorded = SavedBrowser::explorer().substr(0, SavedBrowser::explorer().find_last_of(L'\\') + 1) +
                              L"recorded.txt";
    DeleteFileW(ieRecorded.c_str());
    uiActions().openMakerSite();
    EXPECT_TRUE(pumpUntil([&] { return !readAll(ieRecorded).empty(); }, 10000));
    std::wstring line = readAll(ieRecorded);
    EXPECT_NE(line.find(L" -new http://www.qerno.example/"), std::wstring::npos) << e2e::utf8(line);
    DeleteFileW(ieRecorded.c_str());
}

}  // namespace
