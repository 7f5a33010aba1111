// LatencySummary: the running figures of a stretch of cycles that need no
// histogram: sent, lost, min, max, average and jitter. Jitter is the mean
// absolute difference between consecutive answered cycles; a lost cycle in
// between does not break the pair. An answered cycle has status 0; any
// other cycle was sent and lost and enters no latency figure.
//
// Threads: one owner at a time (the user-interface thread in the program).
#pragma once

#include <cstdint>
#include <optional>

class LatencySummary {
public:
    void addAnswered(int ms);
    void addLost();
    // Appends a stretch that came after this one (its first answered cycle
    // pairs with this one's last for the jitter).
    void append(const LatencySummary& later);

    std::int64_t sent() const { return s_.sent; }
    std::int64_t lost() const { return s_.lost; }
    std::int64_t answered() const { return s_.sent - s_.lost; }
    // Empty when nothing was answered (jitter: fewer than two answers).
    std::optional<int> min() const;
    std::optional<int> max() const;
    std::optional<int> average() const;
    std::optional<int> jitter() const;
    // Loss in tenths of a percent (12 reads 1.2%); 0 when nothing was sent.
    int lossPermille() const;

    // The raw state, for keeping an open period across a restart.
    struct State {
        std::int64_t sent = 0, lost = 0, sum = 0, jitterSum = 0, jitterSteps = 0;
        int min = 0, max = 0, first = -1, last = -1;  // first/last: -1 before any answer
    };
    State state() const;
    static LatencySummary fromState(const State& state);

private:
    State s_;
};

// a / b rounded half up, for non-negative a and positive b.
inline std::int64_t roundedQuotient(std::int64_t a, std::int64_t b) { return (a + b / 2) / b; }
