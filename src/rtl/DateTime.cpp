#include "rtl/DateTime.h"

#include "rtl/Exception.h"

#include <cmath>
#include <ctime>

namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian calendar).
Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d) {
    y -= m <= 2;
    const Int64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<Int64>(doe) - 719468;
}

void CivilFromDays(Int64 z, int& year, int& month, int& day) {
    z += 719468;
    const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const Int64 y = static_cast<Int64>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

constexpr Int64 kUnixToDelphiDays = 25569; // 1899-12-30 to 1970-01-01
constexpr double kMsPerDay = 86400000.0;

// Splits into whole days and milliseconds of the day; the time part of a negative value
// counts forward from midnight as well.
void Split(TDateTime value, Int64& days, Int64& ms) {
    double whole = std::trunc(value);
    Int64 total = static_cast<Int64>(std::llround(std::fabs(value - whole) * kMsPerDay));
    days = static_cast<Int64>(whole);
    if (total >= 86400000) {
        total -= 86400000;
        days += value < 0 ? -1 : 1;
    }
    ms = total;
}

const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char* const kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

String Padded(int value, int width) {
    String text = std::to_string(value);
    while (static_cast<int>(text.size()) < width)
        text.insert(text.begin(), '0');
    return text;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

TDateTime Now() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    ::localtime_r(&ts.tv_sec, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, local.tm_sec,
                      static_cast<int>(ts.tv_nsec / 1000000));
}

TDateTime EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        throw EConvertError("Invalid argument to date encode");
    int y, m, d;
    Int64 days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    CivilFromDays(days, y, m, d);
    if (m != month) throw EConvertError("Invalid argument to date encode");
    return static_cast<double>(days + kUnixToDelphiDays);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        throw EConvertError("Invalid argument to time encode");
    return ((hour * 3600.0 + minute * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    Int64 days, ms;
    Split(value, days, ms);
    CivilFromDays(days - kUnixToDelphiDays, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
    Int64 days, ms;
    Split(value, days, ms);
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    millisecond = static_cast<int>(ms % 1000);
}

String FormatDateTime(const String& format, TDateTime value) {
    int year, month, day, hour, minute, second, ms;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, ms);
    Int64 days, dayMs;
    Split(value, days, dayMs);
    int weekday = static_cast<int>(((days - kUnixToDelphiDays) % 7 + 7 + 4) % 7); // 1970-01-01: Thu

    String out;
    bool afterHour = false;
    for (size_t i = 0; i < format.size();) {
        char c = Lower(format[i]);
        if (format[i] == '"' || format[i] == '\'') {
            size_t close = format.find(format[i], i + 1);
            out += format.substr(i + 1, close == String::npos ? String::npos : close - i - 1);
            i = close == String::npos ? format.size() : close + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < format.size() && Lower(format[i + run]) == c)
            ++run;
        switch (c) {
        case 'y':
            out += run <= 2 ? Padded(year % 100, 2) : Padded(year, 4);
            break;
        case 'm':
            if (afterHour && run <= 2)
                out += Padded(minute, static_cast<int>(run));
            else if (run <= 2)
                out += Padded(month, static_cast<int>(run));
            else
                out += run == 3 ? kShortMonths[month - 1] : kLongMonths[month - 1];
            break;
        case 'd':
            if (run <= 2)
                out += Padded(day, static_cast<int>(run));
            else
                out += run == 3 ? kShortDays[weekday] : kLongDays[weekday];
            break;
        case 'h':
            out += Padded(hour, run >= 2 ? 2 : 1);
            break;
        case 'n':
            out += Padded(minute, run >= 2 ? 2 : 1);
            break;
        case 's':
            out += Padded(second, run >= 2 ? 2 : 1);
            break;
        case 'z':
            out += Padded(ms, run >= 3 ? 3 : 1);
            break;
        default:
            out.append(format, i, run);
            break;
        }
        if (c == 'h')
            afterHour = true;
        else if (c == 'y' || c == 'm' || c == 'd' || c == 'n' || c == 's' || c == 'z')
            afterHour = false;
        i += run;
    }
    return out;
}
