#include "core/persons/time_zone.h"

#include "core/reference/text.h"

#include <date/tz.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string_view>

namespace kesmora {

std::optional<LocalMoment> MomentOfBlock(const PersonFields& f) {
  for (const std::string* number : {&f.year, &f.month, &f.day, &f.hour, &f.minute})
    if (!HasLeadingNumber(*number)) return std::nullopt;
  LocalMoment m;
  m.date = {ClampedInt(LeadingNumber(f.year)), ClampedInt(LeadingNumber(f.month)), ClampedInt(LeadingNumber(f.day))};
  const double hour = std::trunc(LeadingNumber(f.hour)), minute = std::trunc(LeadingNumber(f.minute));
  if (!ValidDate(m.date) || !(hour >= 0 && hour <= 23) || !(minute >= 0 && minute <= 59)) return std::nullopt;
  m.hour = static_cast<int>(hour);
  m.minute = static_cast<int>(minute);
  if (f.half == HalfDay::AM) {
    if (m.hour == 12) m.hour = 0;
  } else if (m.hour >= 1 && m.hour <= 11) {
    m.hour += 12;  // PM, and Unknown, which stands for noon
  }
  return m;
}

namespace {

using std::chrono::seconds;

// The offset of standard time around a period of daylight saving time: that of the nearest
// period without it, looking back first (a zone's rules change rarely in the other direction).
std::optional<seconds> StandardOffsetAround(const date::time_zone& zone, const date::sys_info& daylight) {
  constexpr int kMostPeriods = 400;  // some war years kept summer time through the winter
  date::sys_info info = daylight;
  for (int i = 0; i < kMostPeriods && info.begin > date::sys_days(date::year(-32000) / 1 / 1); ++i) {
    info = zone.get_info(info.begin - seconds(1));
    if (info.save == std::chrono::minutes(0)) return info.offset;
  }
  info = daylight;
  for (int i = 0; i < kMostPeriods && info.end < date::sys_days(date::year(32000) / 1 / 1); ++i) {
    info = zone.get_info(info.end);
    if (info.save == std::chrono::minutes(0)) return info.offset;
  }
  return std::nullopt;
}

// Whether an offset of the database is a mean time, the clock of some city's meridian rather
// than a standard of whole, half or quarter hours: its own "LMT"; an offset with seconds (Madras
// time, 5:21:10); or an offset named as a city's mean time ("QMT", Quito mean time, -5:14).
// Named offsets of half hours ("NZMT", New Zealand's standard of 11:30) and summer times
// ("CEMT", midsummer time) are standards.
bool IsMeanTime(const date::sys_info& in) {
  const long long offset = in.offset.count();
  if (in.abbrev == "LMT" || offset % 60 != 0) return true;
  const std::string& a = in.abbrev;
  const bool namedMean = a.size() >= 3 && a.ends_with("MT") && a != "GMT";
  return namedMean && in.save == std::chrono::minutes(0) && offset % 1800 != 0;
}

}  // namespace

std::optional<ZoneInForce> ZoneAt(const std::string& zoneName, const LocalMoment& m, double longitudeWestDeg,
                                  std::string* error) {
  try {
    const date::time_zone* zone = date::locate_zone(zoneName);
    const date::local_seconds clock = date::local_days{date::year(m.date.year) / m.date.month / m.date.day} +
                                      std::chrono::hours(m.hour) + std::chrono::minutes(m.minute);
    const date::local_info local = zone->get_info(clock);
    const date::sys_info& in = local.first;  // before the change, for a skipped or a repeated time
    ZoneInForce z;
    z.change = local.result == date::local_info::nonexistent ? ClockChange::Skipped
               : local.result == date::local_info::ambiguous ? ClockChange::Repeated
                                                              : ClockChange::None;
    z.abbreviation = in.abbrev;
    // The database marks summer time but does not say by how much: the step from standard time.
    double step = 0;
    if (in.save != std::chrono::minutes(0)) {
      std::optional<seconds> standard = StandardOffsetAround(*zone, in);
      step = std::max(0.0, standard ? static_cast<double>((in.offset - *standard).count()) / 3600 : 1.0);
    }
    if (IsMeanTime(in)) {
      // The mean time of the city the zone is named after, or of another city; the place's
      // own is what its clocks showed.
      z.kind = TimeKind::LocalMean;
      z.standardHoursWest = longitudeWestDeg / 15;
    } else {
      z.kind = step > 0 ? TimeKind::Daylight : TimeKind::Standard;
      z.standardHoursWest = -static_cast<double>(in.offset.count()) / 3600 + step;
    }
    z.daylightHours = step;
    z.hoursWest = z.standardHoursWest - step;
    return z;
  } catch (const std::exception& e) {
    if (error) *error = fmt::format("The time zone '{}' is not in the time-zone database ({}).", zoneName, e.what());
    return std::nullopt;
  }
}

ZoneInForce StandardTimeOf(const ZoneInForce& zone) {
  ZoneInForce z = zone;
  z.hoursWest = zone.standardHoursWest;
  z.daylightHours = 0;
  if (z.kind == TimeKind::Daylight) z.kind = TimeKind::Standard;
  return z;
}

UtcInstant CurrentInstant() { return std::chrono::floor<seconds>(std::chrono::system_clock::now()); }

namespace {

ZoneClock ClockOf(UtcInstant instant, seconds offsetEast) {
  const auto local = instant + offsetEast;
  const auto day = std::chrono::floor<date::days>(local);
  const date::year_month_day ymd{day};
  const date::hh_mm_ss<seconds> time{local - day};
  ZoneClock c;
  c.clock.date = {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                  static_cast<int>(static_cast<unsigned>(ymd.day()))};
  c.clock.hour = static_cast<int>(time.hours().count());
  c.clock.minute = static_cast<int>(time.minutes().count());
  c.hoursWest = -static_cast<double>(offsetEast.count()) / 3600;
  return c;
}

}  // namespace

std::optional<ZoneClock> ZoneClockAt(const std::string& zoneName, UtcInstant instant) {
  if (zoneName.empty()) return std::nullopt;
  try {
    return ClockOf(instant, date::locate_zone(zoneName)->get_info(instant).offset);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

ZoneClock FixedZoneClockAt(double hoursWest, UtcInstant instant) {
  return ClockOf(instant, seconds(std::llround(-hoursWest * 3600)));
}

namespace {

constexpr const char* kZoneFolder = "/usr/share/zoneinfo";

// The database's own name of a zone, links followed ("Asia/Calcutta" is "Asia/Kolkata": the
// system's database keeps links as symbolic links); empty when it does not know the name.
std::string CanonicalZone(const std::string& name) {
  try {
    if (name.empty() || !date::locate_zone(name)) return {};
  } catch (const std::exception&) {
    return {};
  }
  namespace fs = std::filesystem;
  std::error_code ec1, ec2;
  const fs::path target = fs::canonical(fs::path(kZoneFolder) / name, ec1);
  const fs::path folder = fs::canonical(kZoneFolder, ec2);
  const std::string linked = ec1 || ec2 ? std::string() : target.lexically_relative(folder).generic_string();
  if (!linked.empty() && !linked.starts_with("..") && linked != name) {
    try {
      if (date::locate_zone(linked)) return linked;
    } catch (const std::exception&) {
    }
  }
  return name;
}

}  // namespace

std::string SystemZoneName() {
  if (const char* tz = std::getenv("TZ"); tz && *tz) {
    std::string name = tz[0] == ':' ? tz + 1 : tz;
    for (const std::string& root : {std::string(kZoneFolder) + "/", std::string("/usr/lib/zoneinfo/")})
      if (name.starts_with(root)) name.erase(0, std::string_view(root).size());
    if (std::string zone = CanonicalZone(name); !zone.empty()) return zone;
  }
  try {
    return CanonicalZone(std::string(date::current_zone()->name()));
  } catch (const std::exception&) {
    return {};
  }
}

std::string ZoneCityName(const std::string& zoneName) {
  const size_t slash = zoneName.rfind('/');
  if (slash == std::string::npos || zoneName.starts_with("Etc/")) return {};
  std::string city = zoneName.substr(slash + 1);
  for (char& c : city)
    if (c == '_') c = ' ';
  // "GMT+5", "UTC" and their like are no cities.
  if (city.find_first_of("0123456789+") != std::string::npos) return {};
  return city;
}

std::string TimeKindText(const ZoneInForce& z) {
  const std::string daylight =
      fmt::format("daylight saving time ({} hour{})", NumberText(z.daylightHours), z.daylightHours == 1 ? "" : "s");
  switch (z.kind) {
    case TimeKind::LocalMean: return z.daylightHours > 0 ? "local mean time with " + daylight : "local mean time";
    case TimeKind::Daylight: return daylight;
    default: return "standard time";
  }
}

std::string ZoneFieldText(double hoursWest) { return NumberText(std::round(hoursWest * 1e5) / 1e5); }

}  // namespace kesmora
