// Late-bound COM automation: a ComObject holds one IDispatch (or nothing);
// members are called by name through IDispatch::Invoke. Failures raise
// nothing: the result is the empty value of its type (0, an empty object)
// and the failure code is kept for the calling thread.
// Windows only. An object belongs to the thread that created it (the
// user-interface thread in this program, where OLE is initialised).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>

#include "runtime/text.h"

class ComObject {
public:
    ComObject() = default;
    explicit ComObject(IDispatch* owned) : p_(owned) {}  // takes one reference
    ~ComObject() { reset(); }
    ComObject(ComObject&& other) noexcept : p_(other.take()) {}
    ComObject& operator=(ComObject&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = other.take();
        }
        return *this;
    }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    IDispatch* get() const { return p_; }
    bool valid() const { return p_ != nullptr; }
    IDispatch* take() {
        IDispatch* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    IDispatch* p_ = nullptr;
};

// One argument of a call: an integer, a number, a text (GBK) or an object.
class AutomationArgument {
public:
    AutomationArgument(int value);            // NOLINT: implicit by design
    AutomationArgument(double value);         // NOLINT
    AutomationArgument(const char* value);    // NOLINT
    AutomationArgument(const Text& value);    // NOLINT
    AutomationArgument(const ComObject& value);  // NOLINT: the object is shared, not taken
    ~AutomationArgument();
    AutomationArgument(const AutomationArgument&) = delete;
    AutomationArgument& operator=(const AutomationArgument&) = delete;
    const VARIANT& variant() const { return v_; }

private:
    VARIANT v_;
};


// ProgID, or a class id in braces. With a type library file and a name not
// beginning with "{", the class is looked up by name in that library (which
// is registered when the file name holds a backslash). On success the
// variable's previous object is released; on failure it is unchanged.
bool createObject(ComObject& variable, const Text& progId, const Text& typeLibraryFile = {});

void callMethod(const ComObject& object, const Text& member,
                std::initializer_list<AutomationArgument> arguments = {});
double callNumberMethod(const ComObject& object, const Text& member,
                        std::initializer_list<AutomationArgument> arguments = {});
ComObject callObjectMethod(const ComObject& object, const Text& member,
                           std::initializer_list<AutomationArgument> arguments = {});
ComObject getObjectProperty(const ComObject& object, const Text& member,
                            std::initializer_list<AutomationArgument> arguments = {});

void assignObject(ComObject& variable, const ComObject& object);  // shares it
void clearObject(ComObject& variable);
bool isEmptyObject(const ComObject& object);

// The failure code of the calling thread's last automation command (S_OK
// after a success).
HRESULT lastAutomationError();
