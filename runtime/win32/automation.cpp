#include "runtime/win32/automation.h"

#include <oleauto.h>

#include <vector>

#include "runtime/codepage.h"

namespace {

thread_local HRESULT t_lastError = S_OK;

HRESULT note(HRESULT hr) {
    t_lastError = hr;
    return hr;
}

BSTR wideBstr(const Text& text) { return SysAllocString(toWide(text).c_str()); }

// A GBK trail byte can equal "\\", so lead bytes skip their trail.
bool hasBackslash(const Text& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.at(i) >= 0x80) ++i;
        else if (text.at(i) == '\\') return true;
    }
    return false;
}

bool createFromTypeLibrary(ComObject& variable, const Text& name, const Text& file) {
    const bool registerIt = hasBackslash(file);
    ITypeLib* library = nullptr;
    if (FAILED(note(LoadTypeLibEx(toWide(file).c_str(), registerIt ? REGKIND_REGISTER : REGKIND_NONE,
                                  &library))))
        return false;
    std::wstring wide = toWide(name);
    ITypeInfo* info = nullptr;
    MEMBERID member = 0;
    USHORT found = 1;
    HRESULT hr = library->FindName(wide.data(), 0, &info, &member, &found);
    library->Release();
    if (FAILED(note(hr)) || found == 0 || !info) {
        if (SUCCEEDED(hr)) note(TYPE_E_ELEMENTNOTFOUND);
        return false;
    }
    IDispatch* object = nullptr;
    hr = info->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
    info->Release();
    if (FAILED(note(hr)) || !object) return false;
    variable = ComObject(object);
    return true;
}

// Invokes a member by name; the result variant is empty on any failure.
VARIANT invoke(const ComObject& object, const Text& member, WORD kind,
               std::initializer_list<AutomationArgument> arguments) {
    VARIANT result;
    VariantInit(&result);
    if (!object.valid()) {
        note(E_POINTER);
        return result;
    }
    std::wstring name = toWide(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    if (FAILED(note(object.get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))))
        return result;
    // Invoke takes the arguments last first.
    std::vector<VARIANT> reversed;
    for (auto it = arguments.end(); it != arguments.begin();) reversed.push_back((--it)->variant());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    note(object.get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, &result, nullptr,
                              nullptr));
    return result;
}

ComObject objectOf(VARIANT& v) {
    ComObject out;
    if ((v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) && v.punkVal) {
        IDispatch* d = nullptr;
        if (SUCCEEDED(note(v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)))))
            out = ComObject(d);
    }
    VariantClear(&v);
    return out;
}

}  // namespace

AutomationArgument::AutomationArgument(int value) {
    VariantInit(&v_);
    v_.vt = VT_I4;
    v_.lVal = value;
}

AutomationArgument::AutomationArgument(double value) {
    VariantInit(&v_);
    v_.vt = VT_R8;
    v_.dblVal = value;
}

AutomationArgument::AutomationArgument(const char* value) : AutomationArgument(Text(value)) {}

AutomationArgument::AutomationArgument(const Text& value) {
    VariantInit(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = wideBstr(value);
}

AutomationArgument::AutomationArgument(const ComObject& value) {
    VariantInit(&v_);
    v_.vt = VT_DISPATCH;
    v_.pdispVal = value.get();
    if (v_.pdispVal) v_.pdispVal->AddRef();
}

AutomationArgument::~AutomationArgument() { VariantClear(&v_); }

bool createObject(ComObject& variable, const Text& progId, const Text& typeLibraryFile) {
    const bool classId = progId.size() > 0 && progId.at(0) == '{';
    if (typeLibraryFile.size() > 0 && !classId)
        return createFromTypeLibrary(variable, progId, typeLibraryFile);
    std::wstring wide = toWide(progId);
    CLSID clsid{};
    HRESULT hr = classId ? CLSIDFromString(wide.data(), &clsid) : CLSIDFromProgID(wide.c_str(), &clsid);
    if (FAILED(note(hr))) return false;
    IDispatch* object = nullptr;
    DWORD context = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
    hr = CoCreateInstance(clsid, nullptr, context, IID_IDispatch, reinterpret_cast<void**>(&object));
    if (hr == E_INVALIDARG)  // systems without DCOM refuse the remote flag
        hr = CoCreateInstance(clsid, nullptr, context & ~CLSCTX_REMOTE_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&object));
    if (FAILED(note(hr)) || !object) return false;
    OleRun(object);
    variable = ComObject(object);
    note(S_OK);
    return true;
}

void callMethod(const ComObject& object, const Text& member,
                std::initializer_list<AutomationArgument> arguments) {
    VARIANT v = invoke(object, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, arguments);
    VariantClear(&v);
}

double callNumberMethod(const ComObject& object, const Text& member,
                        std::initializer_list<AutomationArgument> arguments) {
    VARIANT v = invoke(object, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, arguments);
    double number = 0.0;
    if (v.vt != VT_EMPTY && v.vt != VT_NULL && SUCCEEDED(note(VariantChangeType(&v, &v, 0, VT_R8))))
        number = v.dblVal;
    VariantClear(&v);
    return number;
}

ComObject callObjectMethod(const ComObject& object, const Text& member,
                           std::initializer_list<AutomationArgument> arguments) {
    VARIANT v = invoke(object, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, arguments);
    return objectOf(v);
}

ComObject getObjectProperty(const ComObject& object, const Text& member,
                            std::initializer_list<AutomationArgument> arguments) {
    VARIANT v = invoke(object, member, DISPATCH_PROPERTYGET, arguments);
    return objectOf(v);
}

void assignObject(ComObject& variable, const ComObject& object) {
    if (&variable == &object) return;
    IDispatch* p = object.get();
    if (p) p->AddRef();
    variable = ComObject(p);
}

void clearObject(ComObject& variable) { variable.reset(); }

bool isEmptyObject(const ComObject& object) { return !object.valid(); }

HRESULT lastAutomationError() { return t_lastError; }
