#pragma once

#include <cstdint>

namespace spreadsheet {

// Serial numbers of the 1900 date system: 1 is 1 January 1900, and 60 is the
// phantom 29 February 1900 that the application keeps for compatibility.

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day);

// The serial number of a date; month and day may run over (month 13 is January
// of the next year, day 0 the last day of the month before).
double serialFromDate(double year, double month, double day);

struct DateTimeParts {
    int year = 1900, month = 1, day = 0;
    int hour = 0, minute = 0, second = 0;
    int weekday = 0; // 0 Sunday
};

// Splits a serial number (0 <= serial < 2958466) into its parts, the time
// rounded to the second.
DateTimeParts dateFromSerial(double serial);

} // namespace spreadsheet
