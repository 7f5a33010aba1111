#include "runtime/win32/message_box.h"

#include "runtime/codepage.h"
#include "runtime/convert.h"

UINT messageBoxStyle(int flags) {
    UINT style = static_cast<UINT>(flags);
    if (!(style & MB_SYSTEMMODAL)) style |= MB_TASKMODAL;
    return style;
}

int messageBoxResult(int systemResult) {
    switch (systemResult) {
    case IDOK: return BoxResult::Ok;
    case IDCANCEL: return BoxResult::Cancel;
    case IDABORT: return BoxResult::Abort;
    case IDRETRY: return BoxResult::Retry;
    case IDIGNORE: return BoxResult::Ignore;
    case IDYES: return BoxResult::Yes;
    case IDNO: return BoxResult::No;
    default: return BoxResult::NotShown;
    }
}

int messageBox(const Text& text, int flags, const Text& caption, HWND owner) {
    std::wstring wideText = toWide(text);
    std::wstring wideCaption = toWide(caption);
    int result = MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), messageBoxStyle(flags));
    return messageBoxResult(result);
}

int messageBox(int value, int flags, const Text& caption, HWND owner) {
    return messageBox(toText(value), flags, caption, owner);
}
int messageBox(bool value, int flags, const Text& caption, HWND owner) {
    return messageBox(toText(value), flags, caption, owner);
}
int messageBox(DateTime value, int flags, const Text& caption, HWND owner) {
    return messageBox(toText(value), flags, caption, owner);
}
