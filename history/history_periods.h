// The periods of the `history` table and how long each kind is kept: minute
// rows for 2 days, 10-minute rows for 60 days, hour rows for 2 years.
#pragma once

#include <array>
#include <cstddef>

#include "history/utc_text.h"

inline constexpr int kMinutePeriod = 60;
inline constexpr int kTenMinutePeriod = 600;
inline constexpr int kHourPeriod = 3600;

inline constexpr std::size_t kPeriodKinds = 3;
// Finest first: a coarser period is built from the same cycles.
inline constexpr std::array<int, kPeriodKinds> kPeriods = {kMinutePeriod, kTenMinutePeriod, kHourPeriod};

inline constexpr UtcSeconds kSecondsPerDay = 86400;
inline constexpr std::array<UtcSeconds, kPeriodKinds> kRetentionSeconds = {
    2 * kSecondsPerDay, 60 * kSecondsPerDay, 2 * 365 * kSecondsPerDay};

// Full-resolution cycles are kept in memory for the last hour.
inline constexpr UtcSeconds kRecentSeconds = 3600;

// The first second of the period of `length` seconds that holds `t`.
inline UtcSeconds periodStart(UtcSeconds t, int length) {
    const UtcSeconds q = t / length - (t % length < 0);
    return q * length;
}
