// ThreadContext: what one thread keeps of its last crash (report and stack
// analysis texts) plus the attached information shown under them. One per
// thread, reached through the thread's registry; only its thread touches it.
#pragma once

#include <cstdint>
#include <vector>

#include "crashguard/text_sink.h"
#include "runtime/text.h"

class ThreadContext {
public:
    ThreadContext() = default;
    ThreadContext(const ThreadContext&) = delete;
    ThreadContext& operator=(const ThreadContext&) = delete;

    // Keeps the pointers, not copies: the crash handler stores texts that
    // live in its never-freed scratch block, and must not allocate.
    void setTexts(const char* reportText, const char* callStackText);
    const char* reportText() const { return report_ ? report_ : ""; }
    const char* callStackText() const { return callStack_ ? callStack_ : ""; }

    // Replaces the value of an existing key, else appends.
    void setAttachedInformation(std::int32_t key, const Text& value);
    Text attachedInformation(std::int32_t key) const;  // "" when absent

    // The shown text: report, "CallStack:" section, attached information.
    void composeFullText(bool includeCallStack, TextSink& out) const;

private:
    struct Attached {
        std::int32_t key;
        Text value;
    };
    const char* report_ = nullptr;
    const char* callStack_ = nullptr;
    std::vector<Attached> attached_;
};
