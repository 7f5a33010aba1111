#include "crashguard/thread_context.h"

void ThreadContext::setTexts(const char* reportText, const char* callStackText) {
    report_ = reportText;
    callStack_ = callStackText;
}

void ThreadContext::setAttachedInformation(std::int32_t key, const Text& value) {
    for (Attached& a : attached_) {
        if (a.key == key) {
            a.value = value;
            return;
        }
    }
    attached_.push_back(Attached{key, value});
}

Text ThreadContext::attachedInformation(std::int32_t key) const {
    for (const Attached& a : attached_) {
        if (a.key == key) return a.value;
    }
    return Text();
}

void ThreadContext::composeFullText(bool includeCallStack, TextSink& out) const {
    out.clear();
    out.append(reportText());
    if (includeCallStack && callStackText()[0] != '\0') {
        out.append("CallStack:\r\n").append(callStackText());
    }
    if (attached_.empty()) return;
    out.append("\r\n附属信息：");
    if (attached_.size() == 1) {
        out.append(attached_[0].value.c_str()).append("\r\n");
        return;
    }
    out.append("\r\n");
    for (const Attached& a : attached_) {
        out.append("[").appendDecimal(a.key).append("] = ").append(a.value.c_str()).append("\r\n");
    }
}
