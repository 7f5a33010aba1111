// Seconds since 1970-01-01 00:00:00 UTC and the database's date text
// "yyyy-MM-dd HH:mm:ss" of them. History keys its rows by UTC so that a
// local clock moving back (the end of summer time) never names one period
// twice; windows turn the figures into local time to show them.
//
// Any thread may call these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

using UtcSeconds = std::int64_t;

std::string utcText(UtcSeconds seconds);
// Empty for a text that is not a full, valid date text.
std::optional<UtcSeconds> utcFromText(const std::string& text);
// The machine's clock in UTC.
UtcSeconds utcNow();
