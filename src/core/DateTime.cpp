#include "core/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace velbrin {

namespace {

using namespace std::chrono;

constexpr double kSecondsPerDay = 86400.0;

std::string Strftime(const char* pattern, const std::tm& fields)
{
    char buffer[256];
    std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &fields);
    return std::string(buffer, n);
}

} // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second)
{
    sys_days date = year_month_day{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                   std::chrono::day(static_cast<unsigned>(day))};
    double days = static_cast<double>(date.time_since_epoch().count()) + kUnixEpochDay;
    return days + (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
}

std::tm DecodeDateTime(TDateTime date)
{
    // Work in whole seconds, rounded, so that 23:59:59.9996 does not show as 24:00:00.
    long long total = std::llround((date - kUnixEpochDay) * kSecondsPerDay);
    long long dayNumber = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
    long long secondOfDay = total - dayNumber * 86400;
    sys_days day{days(dayNumber)};
    year_month_day ymd{day};
    std::tm fields{};
    fields.tm_year = static_cast<int>(ymd.year()) - 1900;
    fields.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
    fields.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
    fields.tm_hour = static_cast<int>(secondOfDay / 3600);
    fields.tm_min = static_cast<int>(secondOfDay / 60 % 60);
    fields.tm_sec = static_cast<int>(secondOfDay % 60);
    fields.tm_wday = static_cast<int>(weekday{day}.c_encoding());
    fields.tm_yday = static_cast<int>((day - sys_days{ymd.year() / January / 1}).count());
    fields.tm_isdst = -1;
    return fields;
}

TDateTime FromTimeT(std::time_t t)
{
    std::tm local{};
    localtime_r(&t, &local);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec);
}

TDateTime Now()
{
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    auto fraction = duration_cast<milliseconds>(now - system_clock::from_time_t(t)).count();
    return FromTimeT(t) + static_cast<double>(fraction) / 1000.0 / kSecondsPerDay;
}

long long DateTimeToUnix(TDateTime date)
{
    return std::llround((date - kUnixEpochDay) * kSecondsPerDay);
}

TDateTime UnixToDateTime(long long seconds)
{
    return static_cast<double>(seconds) / kSecondsPerDay + kUnixEpochDay;
}

std::string FormatLongDate(TDateTime date)
{
    std::tm fields = DecodeDateTime(date);
    return Strftime("%A ", fields) + std::to_string(fields.tm_mday) + Strftime(" %b %Y , %H:%M:%S", fields);
}

std::string FormatShortDate(TDateTime date)
{
    return Strftime("%x", DecodeDateTime(date));
}

std::string FormatTimeText(TDateTime date)
{
    return Strftime("%X", DecodeDateTime(date));
}

std::string FormatDuration(long long seconds)
{
    if (seconds < 0)
        seconds = 0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buffer;
}

} // namespace velbrin
