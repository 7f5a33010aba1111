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
    case IDOK: return 0;
    case IDCANCEL: return 1;
    case IDABORT: return 2;
    case IDRETRY: return 3;
    case IDIGNORE: return 4;
    case IDYES: return 5;
    case IDNO: return 6;
    default: return -1;
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
