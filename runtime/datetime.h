// Date-time commands on DateTime (OLE date: days since 1899-12-30).
#pragma once

#include <ctime>

#include "runtime/values.h"

struct CivilTime {
    int year = 100, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Valid only when every field is in range without adjustment.
bool isValidCivil(const CivilTime& civil);
DateTime dateTimeFromCivil(const CivilTime& civil);  // fields assumed valid
CivilTime civilFromDateTime(DateTime value);         // rounded to whole seconds

// The system clock: whole seconds since 1970-01-01 UTC, as std::time gives
// it. Read this one: under Wine the C library's time() also reads the time
// zone, which checks the zone file, and it is read on every cycle.
std::time_t clockSeconds();

// Local time, whole seconds. Each thread converts the clock once a second
// at most, so a change of the time zone shows from the next second.
DateTime now();
// The same in two steps, for a caller that needs the local time of an
// instant only sometimes: the clock is cheap to read, the conversion to
// local time is not (under Wine about three times the clock's cost).
// localDateTime(clockSeconds()) is now().
DateTime localDateTime(std::time_t instant);
int yearOf(DateTime value);
int monthOf(DateTime value);
int dayOf(DateTime value);
int hourOf(DateTime value);
int minuteOf(DateTime value);
int secondOf(DateTime value);
int tickCount();  // ms since system start; wraps after ~49.7 days
