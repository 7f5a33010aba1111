#include "ui/integer_edit.h"

#include <windows.h>

#include <climits>
#include <cstdlib>

#include "runtime/codepage.h"
#include "runtime/convert.h"
#include "runtime/win32/subclass.h"

namespace {

LRESULT integerEditProc(const SubclassCall& call, void*) {
    switch (call.msg) {
    case WM_CHAR:
        if (!integerEditAccepts(static_cast<unsigned>(call.wp))) return 0;
        break;
    case WM_KILLFOCUS: {
        int n = GetWindowTextLengthW(call.hwnd);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        GetWindowTextW(call.hwnd, text.data(), n + 1);
        SetWindowTextW(call.hwnd, toWide(normaliseIntegerText(fromWide(text.c_str()))).c_str());
        break;
    }
    }
    return call.next();
}

}  // namespace

bool integerEditAccepts(unsigned ch) { return ch < 0x20 || ch == '-' || (ch >= '0' && ch <= '9'); }

Text normaliseIntegerText(const Text& typed) {
    // strtoll saturates at the 64-bit range; the clamp then gives 32 bits.
    long long value = std::strtoll(typed.c_str(), nullptr, 10);
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return value == 0 ? Text() : toText(static_cast<int>(value));
}

void attachIntegerEdit(void* edit) {
    addSubclass<integerEditProc>(static_cast<HWND>(edit), nullptr);
}
