#include "core/reference/format.h"

#include "core/reference/text.h"

#include <date/date.h>
#include <fmt/format.h>
#include <langinfo.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <fstream>

namespace kesmora {

namespace {

constexpr std::array<const char*, 13> kSignAbbreviations{
    "Ari", "Tau", "Gem", "Can", "Leo", "Vir", "Lib", "Sco", "Sag", "Cap", "Aqu", "Pis", "Ari"};

constexpr std::array<const char*, 12> kMonthAbbreviations{
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr std::array<const char*, 12> kSignNames{"Aries", "Taurus", "Gemini",      "Cancer",    "Leo",      "Virgo",
                                                 "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces"};

constexpr std::array<const char*, 7> kWeekdayAbbreviations{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

}  // namespace

LocaleFormats FormatsFromPatterns(std::string_view datePattern, std::string_view timePattern) {
  LocaleFormats f;
  auto at = [&](std::string_view pattern, std::string_view what) {
    size_t p = pattern.find(what);
    return p == std::string_view::npos ? pattern.size() : p;
  };
  size_t y = std::min({at(datePattern, "%Y"), at(datePattern, "%y"), at(datePattern, "%F"),
                       at(datePattern, "%G")});
  size_t m = std::min({at(datePattern, "%m"), at(datePattern, "%b"), at(datePattern, "%B"),
                       at(datePattern, "%D")});
  size_t d = std::min({at(datePattern, "%d"), at(datePattern, "%e")});
  if (y < m && y < d)
    f.dateOrder = DateOrder::YearMonthDay;
  else if (d < m)
    f.dateOrder = DateOrder::DayMonthYear;
  else
    f.dateOrder = DateOrder::MonthDayYear;
  bool twelve = timePattern.find("%I") != std::string_view::npos ||
                timePattern.find("%l") != std::string_view::npos ||
                timePattern.find("%r") != std::string_view::npos ||
                timePattern.find("%p") != std::string_view::npos;
  f.clockFormat = twelve ? ClockFormat::Hours12 : ClockFormat::Hours24;
  return f;
}

LocaleFormats ReadLocaleFormats() {
  return FormatsFromPatterns(nl_langinfo(D_FMT), nl_langinfo(T_FMT));
}

std::string FormatLongitude(double longitude) {
  // A position that is no number shows as such, never as a plausible 0 Aries.
  if (!std::isfinite(longitude)) return "-- --- --' --\"";
  if (longitude < 0 || longitude > 360) {
    longitude = std::fmod(longitude, 360.0);
    if (longitude < 0) longitude += 360.0;
  }
  int s = static_cast<int>(longitude / 30);  // truncation
  float inSign = static_cast<float>(longitude - 30.0 * s);
  int d = static_cast<int>(inSign);
  double mf = (static_cast<double>(inSign) - d) * 60;
  int m = static_cast<int>(mf);
  long sec = std::lround((mf - m) * 60);
  // Seconds that round up to 60 carry into the minutes, and a degree that single precision
  // rounded up to 30 into the next sign, so no text ever shows 60" or 30 degrees.
  if (sec == 60) {
    sec = 0;
    ++m;
  }
  if (m == 60) {
    m = 0;
    ++d;
  }
  if (d >= 30) {
    d -= 30;
    s = (s + 1) % 12;
  }
  return fmt::format("{:02d} {} {:02d}' {:02d}\"", d, kSignAbbreviations[static_cast<size_t>(s)], m, sec);
}

// Day, month and year are checked as numbers before the date library sees them: it keeps a
// day in 8 bits and a year in 16 and would wrap 257 to 1.
bool ValidDate(const CivilDate& c) {
  using namespace date;
  if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31) return false;
  if (c.year < static_cast<int>(year::min()) || c.year > static_cast<int>(year::max())) return false;
  return year_month_day{year{c.year}, month{static_cast<unsigned>(c.month)},
                        day{static_cast<unsigned>(c.day)}}
      .ok();
}

std::string DateText(const CivilDate& date, DateOrder order) {
  std::string dd = ZeroPadded(date.day, 2), mm = ZeroPadded(date.month, 2);
  std::string yyyy = ZeroPadded(date.year, 4);
  switch (order) {
    case DateOrder::MonthDayYear: return mm + "/" + dd + "/" + yyyy;
    case DateOrder::DayMonthYear: return dd + "/" + mm + "/" + yyyy;
    case DateOrder::YearMonthDay: return yyyy + "/" + mm + "/" + dd;
  }
  return {};
}

namespace {

// A whole number of a date, or nothing when it is out of any date's range.
std::optional<int> DatePart(std::string_view text) {
  std::optional<long long> v = WholeNumber(text);
  if (!v || *v < -1000000 || *v > 1000000) return std::nullopt;
  return static_cast<int>(*v);
}

std::vector<std::string> SplitOn(std::string_view text, std::string_view separators) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : text) {
    if (separators.find(c) != std::string_view::npos) {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

bool AllDigits(std::string_view s, bool allowSign = false) {
  if (s.empty()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (allowSign && i == 0 && s[i] == '-' && s.size() > 1) continue;
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

}  // namespace

std::optional<CivilDate> ParseDateText(std::string_view text, DateOrder order) {
  auto parts = SplitOn(Trim(text), "/-.");
  if (parts.size() != 3) return std::nullopt;
  for (size_t i = 0; i < 3; ++i)
    if (!AllDigits(parts[i], true)) return std::nullopt;
  std::optional<int> pa = DatePart(parts[0]), pb = DatePart(parts[1]), pc = DatePart(parts[2]);
  if (!pa || !pb || !pc) return std::nullopt;
  int a = *pa, b = *pb, c = *pc;
  CivilDate d;
  switch (order) {
    case DateOrder::MonthDayYear: d = {c, a, b}; break;
    case DateOrder::DayMonthYear: d = {c, b, a}; break;
    case DateOrder::YearMonthDay: d = {a, b, c}; break;
  }
  if (!ValidDate(d)) return std::nullopt;
  return d;
}

CivilDate AddDays(const CivilDate& c, int days) {
  using namespace date;
  sys_days t = year{c.year} / month{static_cast<unsigned>(c.month)} / day{static_cast<unsigned>(c.day)};
  year_month_day ymd{t + date::days{days}};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

DateTimeText JulianDayToText(double jd, double timeZoneHours, DateOrder order) {
  double local = jd - timeZoneHours / 24.0;
  int year = 0, month = 0, day = 0;
  double hour = 0;
  swe_revjul(local + 0.000001, SE_GREG_CAL, &year, &month, &day, &hour);
  CivilDate date{year, month, day};
  long long seconds = std::llround(hour * 3600.0);
  if (seconds >= 86400) {
    // Rounded up to midnight: the next day at 00:00:00.
    seconds = 0;
    date = AddDays(date, 1);
  }
  std::string time = fmt::format("{:02d}:{:02d}:{:02d}", seconds / 3600, (seconds / 60) % 60, seconds % 60);
  return {DateText(date, order), time};
}

std::string SplitPath(std::string_view path, std::string& lastDirectory) {
  size_t slash = path.find_last_of("\\/");
  if (slash == std::string_view::npos) return std::string(path);
  lastDirectory = std::string(path.substr(0, slash));
  return std::string(path.substr(slash + 1));
}

std::string FileNameOf(std::string_view name, std::string_view extension) {
  std::string stem = Trim(name);
  for (char& c : stem)
    if (static_cast<unsigned char>(c) < 32 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) c = '_';
  // A leading point would hide the file.
  stem.erase(0, std::min(stem.find_first_not_of('.'), stem.size()));
  if (stem.empty()) stem = "Kesmora";
  return stem + std::string(extension);
}

bool FileExists(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

const char* MonthAbbreviation(int month) {
  if (month < 1 || month > 12) return "";
  return kMonthAbbreviations[static_cast<size_t>(month - 1)];
}

const char* SignName(int sign) {
  return sign >= 0 && sign < 12 ? kSignNames[static_cast<size_t>(sign)] : "";
}

const char* WeekdayAbbreviation(int weekday) {
  return weekday >= 0 && weekday < 7 ? kWeekdayAbbreviations[static_cast<size_t>(weekday)] : "";
}

int WeekdayOf(const CivilDate& d) {
  const date::weekday w{date::sys_days{date::year(d.year) / d.month / d.day}};
  return static_cast<int>(w.iso_encoding()) - 1;
}

std::string DayMonthNameYear(const CivilDate& date) {
  return fmt::format("{} {} {}", ZeroPadded(date.day, 2), MonthAbbreviation(date.month),
                     ZeroPadded(date.year, 4));
}

int MonthFromName(std::string_view name) {
  std::string lower = ToLower(Trim(name));
  if (lower.size() < 3) return 0;
  for (int m = 1; m <= 12; ++m) {
    std::string abbr = ToLower(kMonthAbbreviations[static_cast<size_t>(m - 1)]);
    if (lower.compare(0, 3, abbr) == 0) return m;
  }
  return 0;
}

std::optional<CivilDate> ParseStoredDate(std::string_view text, DateOrder order) {
  auto parts = SplitOn(Trim(text), " ");
  if (parts.size() == 3) {
    CivilDate d;
    if (AllDigits(parts[0]) && MonthFromName(parts[1]) && AllDigits(parts[2], true)) {
      bool yearFirst = parts[0].size() > 2;  // "1949 Sep 22"
      std::optional<int> y = DatePart(yearFirst ? parts[0] : parts[2]);
      std::optional<int> dd = DatePart(yearFirst ? parts[2] : parts[0]);
      if (!y || !dd) return std::nullopt;
      d.year = *y;
      d.day = *dd;
      d.month = MonthFromName(parts[1]);
      if (ValidDate(d)) return d;
    }
    return std::nullopt;
  }
  return ParseDateText(text, order);
}

}  // namespace kesmora
