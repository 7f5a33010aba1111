#include "monitor/classify.h"

Classification Classify(int32_t roundTrip, int32_t status, const Thresholds& t) {
    const bool failed = roundTrip == 0 && status != 0;
    // Later steps override earlier ones: thresholds need not rise.
    Classification c{0, t.color[0], failed ? 1000 : roundTrip};
    if (roundTrip >= t.time[0]) c.level = 1, c.color = t.color[0];
    if (roundTrip >= t.time[1]) c.level = 2, c.color = t.color[1];
    if (roundTrip >= t.time[2]) c.level = 3, c.color = t.color[2];
    if (roundTrip >= t.time[3] || failed) c.level = 4, c.color = t.color[3];
    return c;
}
