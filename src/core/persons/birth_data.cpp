#include "core/persons/birth_data.h"

#include "core/reference/format.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <cstdlib>

namespace kesmora {

bool KeyAccepted(KeyFilter filter, char32_t c) {
  if (c == U'\b') return true;
  bool digit = c >= U'0' && c <= U'9';
  switch (filter) {
    case KeyFilter::Any: return true;
    case KeyFilter::Digits: return digit;
    case KeyFilter::DigitsPoint: return digit || c == U'.';
    case KeyFilter::DigitsPointMinus: return digit || c == U'.' || c == U'-';
    case KeyFilter::DigitsMinus: return digit || c == U'-';
  }
  return false;
}

std::string ApplyHourRule(const std::string& hourText, bool& pm) {
  if (!HasLeadingNumber(hourText)) return hourText;
  double value = LeadingNumber(hourText);
  std::string text = hourText;
  if (value == 0) {
    value = 12;
    text = NumberText(value);
  }
  // An hour of the 24-hour clock turns into the afternoon; 24 and above are no hour of the
  // day and stay, for the input check to refuse.
  if (value > 12 && value < 24) {
    pm = true;
    text = NumberText(value - 12);
  }
  return text;
}

namespace {

// Option values are single precision: written with the digits a float holds ("6.35889",
// not the widened double "6.35889005661011").
std::string OptionText(float value) {
  return NumberText(LeadingNumber(fmt::format("{}", value)));  // locale-free, unlike strtod
}

}  // namespace

void FillWithNow(PersonFields& f, Person person, const ZoneClock& now, const OptionValues& o) {
  const LocalMoment& clock = now.clock;
  f.name = person == Person::One ? "Now" : "Transits - Now";
  f.month = std::to_string(clock.date.month);
  f.day = std::to_string(clock.date.day);
  f.year = std::to_string(clock.date.year);
  bool pm = false;
  f.hour = ApplyHourRule(std::to_string(clock.hour), pm);
  f.minute = std::to_string(clock.minute);
  f.half = clock.hour >= 12 ? HalfDay::PM : HalfDay::AM;
  f.timeZone = ZoneFieldText(now.hoursWest);
  f.longDeg = OptionText(o[option::HomeLongDeg]);
  f.longMin = OptionText(o[option::HomeLongMin]);
  f.latDeg = OptionText(o[option::HomeLatDeg]);
  f.latMin = OptionText(o[option::HomeLatMin]);
  f.east = o[option::HomeEastWest] != 0;
  f.south = o[option::HomeNorthSouth] != 0;
}

void SubtractOneHour(PersonFields& f) {
  if (!f.minusOneEnabled) return;
  f.timeZone = NumberText(LeadingNumber(f.timeZone) - 1);
  f.minusOneEnabled = false;
}

void AdjustTimeZone(PersonFields& f) {
  float zone = (ClampedFloat(LeadingNumber(f.longDeg)) + ClampedFloat(LeadingNumber(f.longMin)) / 60.0f) / 15.0f;
  if (f.east) zone = -zone;
  f.timeZone = FixedPattern(zone, 1, 4);
  f.minusOneEnabled = true;
}

void ChooseEast(PersonFields& f, bool east) {
  f.east = east;
  double zone = std::abs(LeadingNumber(f.timeZone));
  f.timeZone = NumberText(east ? -zone : zone);
}

void ChooseUnknown(PersonFields& f) {
  f.half = HalfDay::Unknown;
  f.hour = "12";
  f.minute = "0";
}

namespace {

// The whole number of a field as a 16-bit integer; nothing when the text holds a number that
// no 16-bit integer can (empty or non-numeric text reads as 0).
std::optional<int> Int16Value(const std::string& text) {
  double v = std::round(LeadingNumber(text));
  if (!std::isfinite(v) || v < std::numeric_limits<std::int16_t>::min() ||
      v > std::numeric_limits<std::int16_t>::max())
    return std::nullopt;
  return static_cast<int>(v);
}

}  // namespace

int DaysInMonth(int year, int month) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return month == 2 && leap ? 29 : days[month - 1];
}

bool StepMonth(PersonFields& t, int step) {
  auto year = Int16Value(t.year), month = Int16Value(t.month);
  if (!year || !month) return false;
  int y = *year, m = *month + step;
  if (m < 1) {
    m = 12;
    --y;
  } else if (m > 12) {
    m = 1;
    ++y;
  }
  t.year = std::to_string(y);
  t.month = std::to_string(m);
  // 31 January a month on is 28 (or 29) February, not 3 March.
  if (HasLeadingNumber(t.day) && LeadingNumber(t.day) > DaysInMonth(y, m)) t.day = std::to_string(DaysInMonth(y, m));
  return true;
}

}  // namespace kesmora
