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

DateTime now();  // local time, whole seconds
// The same in two steps, for a caller that needs the local time of an
// instant only sometimes: the clock is cheap to read, the conversion to
// local time is not (under Wine about three times the clock's cost).
// localDateTime(std::time(nullptr)) is now().
DateTime localDateTime(std::time_t instant);
int yearOf(DateTime value);
int monthOf(DateTime value);
int dayOf(DateTime value);
int hourOf(DateTime value);
int minuteOf(DateTime value);
int secondOf(DateTime value);
int tickCount();  // ms since system start; wraps after ~49.7 days
