// ExitSequence: steps by name, in their order, each run at most once.
#include <gtest/gtest.h>

#include "runtime/exit_sequence.h"

namespace {

// A sequence shaped like the program's, recording what runs.
struct Recorded {
    ExitSequence sequence;
    std::vector<std::string> log;

    ExitSequence::Step record(const std::string& name) {
        return [this, name] { log.push_back(name); };
    }
    Recorded() {
        for (const char* name : {"stop tasks", "close database", "free libraries"})
            EXPECT_TRUE(sequence.add(name, record(name)));
    }
};

TEST(ExitSequence, LaterStepsTakeTheirPlaceByName) {
    Recorded r;
    EXPECT_TRUE(r.sequence.addBefore("close database", "flush history", r.record("flush history")));
    EXPECT_TRUE(r.sequence.addBefore("close database", "close outages", r.record("close outages")));
    const std::vector<std::string> order = {"stop tasks", "flush history", "close outages",
                                            "close database", "free libraries"};
    EXPECT_EQ(r.sequence.names(), order);
    r.sequence.run();
    EXPECT_EQ(r.log, order);
    r.sequence.run();  // the second end (say, the session ending after 退出) does nothing
    EXPECT_EQ(r.log, order);
    EXPECT_TRUE(r.sequence.ran("free libraries"));
}

TEST(ExitSequence, RefusedSteps) {
    Recorded r;
    const struct {
        const char* why;
        const char* before;  // nullptr: add at the end
        const char* name;
        bool withStep;
    } cases[] = {
        {"name taken", nullptr, "stop tasks", true},
        {"name taken, inserted", "free libraries", "close database", true},
        {"no name", nullptr, "", true},
        {"no step", nullptr, "x", false},
        {"unknown place", "no such step", "x", true},
    };
    for (const auto& c : cases) {
        ExitSequence::Step step = c.withStep ? r.record(c.name) : ExitSequence::Step();
        const bool added = c.before ? r.sequence.addBefore(c.before, c.name, step) : r.sequence.add(c.name, step);
        EXPECT_FALSE(added) << c.why;
    }
    EXPECT_EQ(r.sequence.names(), (std::vector<std::string>{"stop tasks", "close database", "free libraries"}));
    r.sequence.runThrough("stop tasks");
    EXPECT_FALSE(r.sequence.add("late", r.record("late")));  // begun: its place is gone
    EXPECT_FALSE(r.sequence.addBefore("free libraries", "late", r.record("late")));
}

// 退出 stops the tasks before it closes its windows; the program's end
// routine then runs the rest without stopping them again.
TEST(ExitSequence, RunThroughThenTheRest) {
    Recorded r;
    r.sequence.runThrough("no such step");
    EXPECT_TRUE(r.log.empty());
    r.sequence.runThrough("stop tasks");
    EXPECT_EQ(r.log, (std::vector<std::string>{"stop tasks"}));
    EXPECT_TRUE(r.sequence.ran("stop tasks"));
    EXPECT_FALSE(r.sequence.ran("close database"));
    r.sequence.runThrough("stop tasks");
    r.sequence.run();
    EXPECT_EQ(r.log, (std::vector<std::string>{"stop tasks", "close database", "free libraries"}));
}

// A step that ends the program again (the end routine runs the sequence)
// does not run the later steps inside itself, nor itself twice.
TEST(ExitSequence, ReenteredFromAStep) {
    ExitSequence s;
    std::vector<std::string> log;
    s.add("first", [&] { log.push_back("first"); s.run(); log.push_back("first done"); });
    s.add("second", [&] { log.push_back("second"); s.runThrough("second"); });
    s.run();
    s.run();
    EXPECT_EQ(log, (std::vector<std::string>{"first", "first done", "second"}));
}

}  // namespace
