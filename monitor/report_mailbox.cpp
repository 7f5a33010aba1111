#include "monitor/report_mailbox.h"

#include <utility>

#include "runtime/handoff_block.h"

ReportMailbox::~ReportMailbox() { freeWaiting(); }

void ReportMailbox::freeWaiting() {
    for (std::uintptr_t block : waiting_) takeHandoffBlock(block);
    waiting_.clear();
}

void ReportMailbox::setReceiver(UiReceiver receiver) {
    CriticalSectionGuard guard(lock_);
    receiver_ = receiver;
    freeWaiting();
    // A wake-up still on its way went to the previous receiver.
    wakeUpOnItsWay_ = false;
}

UiReceiver ReportMailbox::receiver() {
    CriticalSectionGuard guard(lock_);
    return receiver_;
}

bool ReportMailbox::post(std::uintptr_t block) {
    UiReceiver wake = 0;
    {
        CriticalSectionGuard guard(lock_);
        if (!receiver_ || waiting_.size() >= kMostWaiting) {
            takeHandoffBlock(block);
            return false;
        }
        waiting_.push_back(block);
        if (wakeUpOnItsWay_) return true;
        wakeUpOnItsWay_ = true;
        wake = receiver_;
    }
    return postWakeUp(wake);
}

bool ReportMailbox::postWakeUp(UiReceiver wake) {
    if (postToUi(wake, kStatusReportMessage, 0, kReportsWaiting)) return true;
    CriticalSectionGuard guard(lock_);
    // Unless the receiver changed meanwhile, the reports that waited for
    // this wake-up can reach no one.
    if (receiver_ == wake) {
        freeWaiting();
        wakeUpOnItsWay_ = false;
    }
    return false;
}

std::vector<std::uintptr_t> ReportMailbox::take(std::size_t most) {
    std::vector<std::uintptr_t> taken;
    UiReceiver wake = 0;
    {
        CriticalSectionGuard guard(lock_);
        if (waiting_.size() <= most) {
            wakeUpOnItsWay_ = false;
            return std::exchange(waiting_, {});
        }
        const auto end = waiting_.begin() + static_cast<std::ptrdiff_t>(most);
        taken.assign(waiting_.begin(), end);
        waiting_.erase(waiting_.begin(), end);
        wakeUpOnItsWay_ = true;  // the one for the rest, posted from here
        wake = receiver_;
    }
    postWakeUp(wake);
    return taken;
}

std::vector<std::uintptr_t> reportsOf(std::uintptr_t wParam, std::intptr_t lParam, ReportMailbox& mailbox) {
    if (lParam == kReportsWaiting) return mailbox.take(ReportMailbox::kMostPerTake);
    return {wParam};
}
