#include <pthread.h>

#include <new>

#include "runtime/critical_section.h"

struct CriticalSection::Impl {
    pthread_mutex_t mutex;
};

CriticalSection::CriticalSection() : impl_(new (std::nothrow) Impl) {
    if (!impl_) return;
    // Recursive, as a Win32 critical section is.
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    if (pthread_mutex_init(&impl_->mutex, &attr) != 0) impl_.reset();
    pthread_mutexattr_destroy(&attr);
}

CriticalSection::~CriticalSection() {
    if (impl_) pthread_mutex_destroy(&impl_->mutex);
}

void CriticalSection::enter() {
    if (impl_) pthread_mutex_lock(&impl_->mutex);
}

void CriticalSection::leave() {
    if (impl_) pthread_mutex_unlock(&impl_->mutex);
}
