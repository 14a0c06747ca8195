#include "core/persons/time_zone.h"

#include "core/reference/text.h"

#include <date/tz.h>
#include <fmt/format.h>

#include <cmath>
#include <exception>

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
    z.hoursWest = -static_cast<double>(in.offset.count()) / 3600;
    if (in.abbrev == "LMT") {
      // The mean time of the city the zone is named after; the place's own is what its clocks showed.
      z.kind = TimeKind::LocalMean;
      z.hoursWest = longitudeWestDeg / 15;
    } else if (in.save != std::chrono::minutes(0)) {
      // The database marks summer time but does not say by how much: the step from standard time.
      std::optional<seconds> standard = StandardOffsetAround(*zone, in);
      const double step = standard ? static_cast<double>((in.offset - *standard).count()) / 3600 : 1.0;
      if (step > 0) {
        z.kind = TimeKind::Daylight;
        z.daylightHours = step;
      }
    }
    return z;
  } catch (const std::exception& e) {
    if (error) *error = fmt::format("The time zone '{}' is not in the time-zone database ({}).", zoneName, e.what());
    return std::nullopt;
  }
}

std::string TimeKindText(const ZoneInForce& z) {
  switch (z.kind) {
    case TimeKind::LocalMean: return "local mean time";
    case TimeKind::Daylight:
      return fmt::format("daylight saving time ({} hour{})", NumberText(z.daylightHours), z.daylightHours == 1 ? "" : "s");
    default: return "standard time";
  }
}

std::string ZoneFieldText(double hoursWest) { return NumberText(std::round(hoursWest * 1e5) / 1e5); }

}  // namespace kesmora
