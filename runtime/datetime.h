// Date-time commands on DateTime (OLE date: days since 1899-12-30).
#pragma once

#include "runtime/values.h"

struct CivilTime {
    int year = 100, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Valid only when every field is in range without adjustment.
bool isValidCivil(const CivilTime& civil);
DateTime dateTimeFromCivil(const CivilTime& civil);  // fields assumed valid
CivilTime civilFromDateTime(DateTime value);         // rounded to whole seconds

DateTime now();  // local time, whole seconds
int yearOf(DateTime value);
int monthOf(DateTime value);
int dayOf(DateTime value);
int hourOf(DateTime value);
int minuteOf(DateTime value);
int secondOf(DateTime value);
int tickCount();  // ms since system start; wraps after ~49.7 days
