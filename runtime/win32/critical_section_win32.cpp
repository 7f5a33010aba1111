#include <windows.h>

#include <new>

#include "runtime/critical_section.h"

struct CriticalSection::Impl {
    CRITICAL_SECTION cs;
};

CriticalSection::CriticalSection() : impl_(new (std::nothrow) Impl) {
    if (impl_) InitializeCriticalSection(&impl_->cs);
}

CriticalSection::~CriticalSection() {
    if (impl_) DeleteCriticalSection(&impl_->cs);
}

void CriticalSection::enter() {
    if (impl_) EnterCriticalSection(&impl_->cs);
}

void CriticalSection::leave() {
    if (impl_) LeaveCriticalSection(&impl_->cs);
}
