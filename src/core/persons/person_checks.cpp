#include "core/persons/person_checks.h"

#include "core/reference/text.h"

#include <fmt/format.h>

#include <cmath>
#include <functional>

namespace kesmora {

namespace {

bool Empty(const std::string& text) { return Trim(text).empty(); }
double Value(const std::string& text) { return LeadingNumber(text); }
int IntegerValue(const std::string& text) { return ClampedInt(Value(text)); }
float FloatValue(const std::string& text) { return ClampedFloat(Value(text)); }

// A failed check names each offending field on a line of its own: "Lat Deg: 95 (0 to 90)".
using FieldLines = std::vector<std::string>;
using Check = std::function<void(const PersonFields&, FieldLines&)>;

void Name(FieldLines& out, const char* label, const std::string& text, const std::string& why) {
  out.push_back(Empty(text) ? fmt::format("{}: empty", label) : fmt::format("{}: {} ({})", label, Trim(text), why));
}
void IfEmpty(FieldLines& out, const char* label, const std::string& text) {
  if (Empty(text)) Name(out, label, text, "");
}
void IfBelow(FieldLines& out, const char* label, const std::string& text, double least) {
  if (Value(text) < least) Name(out, label, text, fmt::format("below {}", least));
}
void IfAbove(FieldLines& out, const char* label, const std::string& text, double most) {
  if (Value(text) > most) Name(out, label, text, fmt::format("above {}", most));
}

// Degrees and minutes of a place: each unsigned, minutes below 60, together within the limit.
void PlaceChecks(FieldLines& out, const char* degLabel, const std::string& deg, const char* minLabel,
                 const std::string& min, double limit) {
  size_t before = out.size();
  IfBelow(out, degLabel, deg, 0);
  IfAbove(out, degLabel, deg, limit);
  IfBelow(out, minLabel, min, 0);
  IfAbove(out, minLabel, min, 59);
  if (out.size() == before && Value(deg) + Value(min) / 60 > limit)
    Name(out, minLabel, min, fmt::format("beyond {} degrees", limit));
}

// A date whose numbers are each in range may still be no day of the calendar (31 February,
// day 0, month 0).
void DateExists(FieldLines& out, const PersonFields& f) {
  if (Empty(f.month) || Empty(f.day) || Empty(f.year)) return;
  if (Value(f.month) < 0 || Value(f.day) < 0 || Value(f.year) < 0) return;
  CivilDate date{IntegerValue(f.year), IntegerValue(f.month), IntegerValue(f.day)};
  if (ValidDate(date)) return;
  if (date.month < 1)
    Name(out, "Month", f.month, "no such month");
  else
    Name(out, "Day", f.day, fmt::format("no such day in {}/{}", date.month, date.year));
}

// Presence and sign: each entry is one message when it fails.
const std::vector<Check>& PresenceChecks() {
  static const std::vector<Check> checks{
      [](const PersonFields& f, FieldLines& out) {
        IfBelow(out, "Month", f.month, 0);
        IfBelow(out, "Day", f.day, 0);
        IfBelow(out, "Year", f.year, 0);
      },
      [](const PersonFields& f, FieldLines& out) {
        IfEmpty(out, "Month", f.month);
        IfEmpty(out, "Day", f.day);
        IfEmpty(out, "Year", f.year);
      },
      [](const PersonFields& f, FieldLines& out) {
        IfEmpty(out, "Birth Hour", f.hour);
        IfEmpty(out, "Birth Min", f.minute);
        IfEmpty(out, "Time Zone", f.timeZone);
      },
      [](const PersonFields& f, FieldLines& out) {
        IfEmpty(out, "Long Deg", f.longDeg);
        IfEmpty(out, "Long Min", f.longMin);
      },
      [](const PersonFields& f, FieldLines& out) {
        IfEmpty(out, "Lat Deg", f.latDeg);
        IfEmpty(out, "Lat Min", f.latMin);
      },
      [](const PersonFields& f, FieldLines& out) {
        if (Value(f.timeZone) < -2 && !f.east) Name(out, "Time Zone", f.timeZone, "below -2 with West");
      },
  };
  return checks;
}

// Ranges. Besides the upper limits, a date and a time must exist and a place must lie on the
// globe; those join the check of their fields, so a bad field still gives one message.
const std::vector<Check>& RangeChecks() {
  static const std::vector<Check> checks{
      [](const PersonFields& f, FieldLines& out) {
        IfAbove(out, "Month", f.month, 12);
        IfAbove(out, "Day", f.day, 31);
        IfAbove(out, "Year", f.year, 2099);
        if (out.empty()) DateExists(out, f);
      },
      [](const PersonFields& f, FieldLines& out) {
        IfBelow(out, "Birth Hour", f.hour, 0);
        IfAbove(out, "Birth Hour", f.hour, 12);
        IfBelow(out, "Birth Min", f.minute, 0);
        IfAbove(out, "Birth Min", f.minute, 60);
      },
      [](const PersonFields& f, FieldLines& out) {
        IfAbove(out, "Time Zone", f.timeZone, 12);
        IfBelow(out, "Time Zone", f.timeZone, -13);
      },
      [](const PersonFields& f, FieldLines& out) { PlaceChecks(out, "Long Deg", f.longDeg, "Long Min", f.longMin, 180); },
      [](const PersonFields& f, FieldLines& out) { PlaceChecks(out, "Lat Deg", f.latDeg, "Lat Min", f.latMin, 90); },
  };
  return checks;
}

// What a stored record must have: a name (the list shows records by it), and no line break in
// a text, as a line of the names file is one record.
const std::vector<Check>& RecordChecks() {
  static const std::vector<Check> checks{[](const PersonFields& f, FieldLines& out) {
    IfEmpty(out, "Name", f.name);
    const std::pair<const char*, const std::string*> texts[] = {
        {"Name", &f.name}, {"Time Zone", &f.timeZone}, {"State / Country", &f.stateCountry}, {"City", &f.city}};
    for (auto [label, text] : texts)
      if (text->find_first_of("\r\n") != std::string::npos) Name(out, label, *text, "more than one line");
  }};
  return checks;
}

// Fields that must hold a number for a record to be written from them.
const std::vector<Check>& NumberChecks() {
  static const std::vector<Check> checks{[](const PersonFields& f, FieldLines& out) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"Month", &f.month},         {"Day", &f.day},         {"Year", &f.year},
        {"Birth Hour", &f.hour},     {"Birth Min", &f.minute}, {"Time Zone", &f.timeZone},
        {"Long Deg", &f.longDeg},    {"Long Min", &f.longMin}, {"Lat Deg", &f.latDeg},
        {"Lat Min", &f.latMin}};
    for (auto [label, text] : fields)
      if (!Empty(*text) && !HasLeadingNumber(*text)) Name(out, label, *text, "not a number");
  }};
  return checks;
}

void RunChecks(const std::vector<Check>& checks, const PersonFields& f, const char* message,
               std::vector<std::string>& out) {
  for (const Check& check : checks) {
    FieldLines fields;
    check(f, fields);
    if (fields.empty()) continue;
    std::string text = message;
    for (const std::string& line : fields) text += "\n" + line;
    out.push_back(std::move(text));
  }
}

}  // namespace

std::string JoinNotices(const std::vector<std::string>& notices) {
  std::string text;
  for (const std::string& n : notices) text += (text.empty() ? "" : "\n\n") + n;
  return text;
}

std::vector<std::string> CheckPersonFields(const PersonFields& natal, const PersonFields& transit) {
  std::vector<std::string> messages;
  RunChecks(PresenceChecks(), natal, NatalInputError, messages);
  RunChecks(PresenceChecks(), transit, DiurnalInputError, messages);
  RunChecks(RangeChecks(), natal, NatalInputError, messages);
  RunChecks(RangeChecks(), transit, DiurnalInputError, messages);
  return messages;
}

std::vector<std::string> CheckTransitFields(const PersonFields& transit) {
  std::vector<std::string> messages;
  RunChecks(PresenceChecks(), transit, DiurnalInputError, messages);
  RunChecks(RangeChecks(), transit, DiurnalInputError, messages);
  return messages;
}

std::vector<std::string> CheckPersonToSave(const PersonFields& fields, Person person) {
  const char* message = person == Person::One ? NatalInputError : DiurnalInputError;
  std::vector<std::string> messages;
  RunChecks(RecordChecks(), fields, message, messages);
  RunChecks(NumberChecks(), fields, message, messages);
  RunChecks(PresenceChecks(), fields, message, messages);
  RunChecks(RangeChecks(), fields, message, messages);
  return messages;
}

PersonReading ReadPersonFields(PersonFields& f, DateOrder order) {
  PersonReading r;
  r.month = IntegerValue(f.month);
  r.day = IntegerValue(f.day);
  r.year = IntegerValue(f.year);
  switch (order) {
    case DateOrder::YearMonthDay: r.dateText = f.year + "/" + f.month + "/" + f.day; break;
    case DateOrder::DayMonthYear: r.dateText = f.day + "/" + f.month + "/" + f.year; break;
    default: r.dateText = f.month + "/" + f.day + "/" + f.year; break;
  }
  if (f.half == HalfDay::Unknown) {
    f.hour = "12";
    f.minute = "0";
  }
  r.timeZone = FloatValue(f.timeZone);
  double lon = Value(f.longDeg) + Value(f.longMin) / 100;
  if (f.east) lon = -lon;
  r.eastWest = lon >= 0 ? "West" : "East";
  double lat = Value(f.latDeg) + Value(f.latMin) / 100;
  if (f.south) lat = -lat;
  r.northSouth = lat >= 0 ? "North" : "South";
  return r;
}

ChartInputs ChartInputsOf(const PersonFields& f, const PersonReading& r) {
  ChartInputs in;
  in.day = r.day;
  in.month = r.month;
  in.year = r.year;
  float hour = FloatValue(f.hour);
  const bool twelve = std::trunc(hour) == 12;  // compared as a number: no cast of an unchecked value
  if (f.half == HalfDay::AM) {
    if (twelve) hour -= 12;
  } else if (!twelve) {
    hour += 12;  // PM, and Unknown, which reads as noon
  }
  in.hour = hour + r.timeZone;
  in.minute = FloatValue(f.minute);
  in.longitude = Value(f.longDeg) + Value(f.longMin) / 60;
  in.latitude = Value(f.latDeg) + Value(f.latMin) / 60;
  if (ToUpper(r.eastWest) == "WEST") in.longitude = -in.longitude;
  if (ToUpper(r.northSouth) == "SOUTH") in.latitude = -in.latitude;
  return in;
}

}  // namespace kesmora
