#pragma once
// Texts of longitudes, Julian days and paths, shared by the charts, reports and file dialogs.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kesmora {

// Order of day, month and year in date texts: 0 month/day/year, 1 day/month/year, 2 year/month/day.
enum class DateOrder { MonthDayYear = 0, DayMonthYear = 1, YearMonthDay = 2 };
// 12- or 24-hour clock of the user's locale.
enum class ClockFormat { Hours12 = 0, Hours24 = 1 };

struct LocaleFormats {
  DateOrder dateOrder = DateOrder::MonthDayYear;
  ClockFormat clockFormat = ClockFormat::Hours12;
};
// The date order and clock of the current C locale (LC_TIME), from nl_langinfo.
LocaleFormats ReadLocaleFormats();
// The same from strftime patterns such as "%d/%m/%Y" and "%H:%M:%S".
LocaleFormats FormatsFromPatterns(std::string_view datePattern, std::string_view timePattern);

// "15 Gem 30' 00\"" for 75.5 degrees; other angles are first brought into 0..360. A value that
// is no number shows as "-- --- --' --\"".
std::string FormatLongitude(double longitude);

struct CivilDate {
  int year = 0, month = 0, day = 0;
};
// Whether day, month and year name a day of the (proleptic) Gregorian calendar.
bool ValidDate(const CivilDate& date);
// A date as text in the given order, "/" separated, two-digit day and month, four-digit year.
std::string DateText(const CivilDate& date, DateOrder order);
// Reads back a date written by DateText in that order.
std::optional<CivilDate> ParseDateText(std::string_view text, DateOrder order);
CivilDate AddDays(const CivilDate& date, int days);

struct DateTimeText {
  std::string date;
  std::string time;
};
// Date and time texts of a UT Julian day in the local time of the zone (hours west positive).
DateTimeText JulianDayToText(double jd, double timeZoneHours, DateOrder order);

// The file name after the last backslash or slash; `lastDirectory` gets the part before it
// and is left alone when the path has no separator.
std::string SplitPath(std::string_view path, std::string& lastDirectory);

// A name (a person's) as the name of a file with the extension (".csv"): blanks at its ends
// dropped, characters a file name cannot hold, here or where a file may travel, made "_",
// leading points dropped; "Kesmora" when nothing is left.
std::string FileNameOf(std::string_view name, std::string_view extension);

// True when the path names a file that can be opened for reading (a directory is no file).
bool FileExists(const std::filesystem::path& path);

// "dd mmm yyyy" with English month abbreviations ("22 Sep 1949").
std::string DayMonthNameYear(const CivilDate& date);
// Reads "22 Sep 1949", "1949 Sep 22", or a "/" date in the given order.
std::optional<CivilDate> ParseStoredDate(std::string_view text, DateOrder order);
// Month number 1..12 of an English abbreviation or name ("Sep", "september"), 0 when unknown.
int MonthFromName(std::string_view name);
const char* MonthAbbreviation(int month);
// "Aries" .. "Pisces" for signs 0..11, "Mon" .. "Sun" for weekdays 0 (Monday) .. 6; "" outside.
const char* SignName(int sign);
const char* WeekdayAbbreviation(int weekday);
// The weekday of a date, 0 Monday .. 6 Sunday.
int WeekdayOf(const CivilDate& date);

}  // namespace kesmora
