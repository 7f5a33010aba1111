#include "runtime/win32/save_file_dialog.h"

#include <commdlg.h>

#include "runtime/codepage.h"
#include "runtime/win32/message_box.h"

const char* const kSavePathNotGbkMessage = "所选的文件夹或文件名含有本程序无法使用的字符，请换一个。";

namespace {

// Room for a long path: the dialog fails (FNERR_BUFFERTOOSMALL) rather than
// cutting a longer one.
constexpr DWORD kPathChars = 32768;

constexpr DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                                   OFN_HIDEREADONLY | OFN_EXPLORER;

// One showing of the dialog; `chosen` holds the offered name on entry.
bool showOnce(HWND owner, const SaveFileRequest& request, std::wstring& chosen) {
    const std::wstring filter = saveFileFilter(request);
    const std::wstring title = toWide(request.title);
    const std::wstring folder = toWide(request.initialFolder);
    const std::wstring extension = toWide(request.defaultExtension);
    chosen.resize(kPathChars, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = kPathChars;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = kSaveDialogFlags;
    const bool chose = GetSaveFileNameW(&dialog) != 0;
    chosen.resize(wcsnlen(chosen.c_str(), kPathChars));
    return chose;
}

}  // namespace

std::wstring saveFileFilter(const SaveFileRequest& request) {
    std::wstring filter = toWide(request.filterDescription);
    filter += L'\0';
    filter += toWide(request.filterPattern);
    filter += L'\0';
    filter += L'\0';
    return filter;
}

bool chooseSaveFile(HWND owner, const SaveFileRequest& request, Text& path) {
    std::wstring offered = toWide(request.defaultName);
    for (;;) {
        std::wstring chosen = offered;
        if (!showOnce(owner, request, chosen)) return false;
        if (wideFitsGbk(chosen.c_str())) {
            path = fromWide(chosen.c_str());
            return true;
        }
        messageBox(kSavePathNotGbkMessage, BoxFlags::Error, "信息：", owner);
    }
}
