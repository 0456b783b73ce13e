#include "DateSerial.h"

#include <cmath>

namespace spreadsheet {

namespace {

// 1899-12-31 is serial 0 for the days before the phantom leap day.
constexpr int64_t kDaysTo18991231 = -25568;

struct Civil {
    int64_t year;
    unsigned month, day;
};

Civil civilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

} // namespace

int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

double serialFromDate(double year, double month, double day) {
    // Normalise the month into 1..12, carrying whole years.
    double monthIndex = month - 1;
    double years = std::floor(monthIndex / 12);
    year += years;
    monthIndex -= years * 12;
    int64_t days =
        daysFromCivil(static_cast<int64_t>(year), static_cast<unsigned>(monthIndex) + 1, 1) +
        static_cast<int64_t>(day) - 1;
    int64_t serial = days - kDaysTo18991231;
    // From 1 March 1900 on, the phantom 29 February shifts every serial by one.
    if (serial >= 60)
        ++serial;
    return static_cast<double>(serial);
}

DateTimeParts dateFromSerial(double serial) {
    DateTimeParts parts;
    double whole = std::floor(serial);
    int64_t seconds = static_cast<int64_t>(std::llround((serial - whole) * 86400.0));
    if (seconds >= 86400) {
        whole += 1;
        seconds -= 86400;
    }
    int64_t day = static_cast<int64_t>(whole);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    parts.weekday = static_cast<int>((day + 6) % 7); // serial 1 was a Sunday
    if (day == 60) {
        parts.year = 1900;
        parts.month = 2;
        parts.day = 29;
        return parts;
    }
    if (day == 0) {
        parts.year = 1900;
        parts.month = 1;
        parts.day = 0;
        return parts;
    }
    Civil c = civilFromDays((day > 60 ? day - 1 : day) + kDaysTo18991231);
    parts.year = static_cast<int>(c.year);
    parts.month = static_cast<int>(c.month);
    parts.day = static_cast<int>(c.day);
    return parts;
}

} // namespace spreadsheet
