// ExitSequence: the end of the program as named steps run in a fixed order,
// each at most once, whichever way the end comes (the user's "退出", the
// session ending, the message loop's end). Features that must finish
// something before the database closes register their step before the
// closing step by name, so the order is written where the steps are.
//
// Threads: one thread owns the object (the user-interface thread in this
// program): it adds the steps and runs them.
#pragma once

#include <functional>
#include <string>
#include <vector>

class ExitSequence {
public:
    using Step = std::function<void()>;

    ExitSequence() = default;
    ExitSequence(const ExitSequence&) = delete;
    ExitSequence& operator=(const ExitSequence&) = delete;

    // Appends a step. False (nothing added) for an empty name or step, a
    // name already there, or once the sequence has begun to run: a step
    // added then could no longer keep its place in the order.
    bool add(const std::string& name, Step step);
    // Adds a step just before the step `before`; false also when there is
    // no step of that name.
    bool addBefore(const std::string& before, const std::string& name, Step step);

    // Runs, in order, every step not run yet. A step that ends up here again
    // (through the program's end routine) runs nothing more: the steps
    // after it run when it has returned.
    void run();
    // Runs, in order, the steps not run yet up to and including `name`; the
    // rest wait for a later run. Nothing runs for an unknown name.
    void runThrough(const std::string& name);

    std::vector<std::string> names() const;
    bool ran(const std::string& name) const;

private:
    struct Entry {
        std::string name;
        Step step;
        bool ran = false;
    };
    bool canAdd(const std::string& name, const Step& step) const;
    void runUpTo(std::size_t end);  // entries [0, end)

    std::vector<Entry> entries_;
    bool begun_ = false;
    bool running_ = false;
};
