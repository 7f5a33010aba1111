// CriticalSection: the system's re-entrant mutual-exclusion object (Win32
// CRITICAL_SECTION, a recursive pthread mutex natively), in a block of its
// own so the object itself never moves. Enter and leave from any thread; the
// owner leaves as often as it entered.
#pragma once

#include <memory>

class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    bool valid() const { return impl_ != nullptr; }  // false: no memory was left; enter/leave do nothing
    void enter();
    void leave();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Holds a critical section for one scope.
class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CriticalSection& cs) : cs_(cs) { cs_.enter(); }
    ~CriticalSectionGuard() { cs_.leave(); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CriticalSection& cs_;
};
