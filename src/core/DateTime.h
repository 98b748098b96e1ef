#pragma once

#include <ctime>
#include <string>

namespace velbrin {

// A date-time in memory: days since 30 December 1899 (day 0), the time of day
// as the fraction. Local time, as the user reads it.
using TDateTime = double;

// Offset between the in-memory day number and the day ordinal stored in files
// (1 January of year 1 is day 1).
inline constexpr double kFileDayOffset = 693594.0;
// Day number of 1 January 1970.
inline constexpr double kUnixEpochDay = 25569.0;

inline double DateToFileDays(TDateTime date) { return date + kFileDayOffset; }
inline TDateTime FileDaysToDate(double days) { return days - kFileDayOffset; }

TDateTime Now();
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The calendar fields of a date-time (tm_year counts from 1900, tm_mon from 0).
std::tm DecodeDateTime(TDateTime date);

// Local wall-clock seconds since 1970 and back, as bookmark files store them.
long long DateTimeToUnix(TDateTime date);
TDateTime UnixToDateTime(long long seconds);
// The local date-time of a point of the system clock.
TDateTime FromTimeT(std::time_t t);

// "Sunday 7 Dec 1997 , 04:27:15", day and month names from the C library's locale.
std::string FormatLongDate(TDateTime date);
// The locale's short date ("%x") and time ("%X") texts.
std::string FormatShortDate(TDateTime date);
std::string FormatTimeText(TDateTime date);
// A duration in seconds as "hh:mm:ss".
std::string FormatDuration(long long seconds);

} // namespace velbrin
