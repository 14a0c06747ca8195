#include "core/search/election.h"
// Conditions and the lines of an election read from their text and written back.

#include "core/reference/constants.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "core/search/hit.h"
#include "core/search/run_options.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kesmora {

namespace {

constexpr std::array<const char*, 7> kDayNames = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                  "Friday", "Saturday", "Sunday"};
constexpr int kPadas = kPadasPerMansion;

// ---- Reading ---------------------------------------------------------------------------------

// The text of a condition read from the left: words, numbers and the names of points.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) { SkipBlanks(); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  // The next word (up to a blank), not taken.
  std::string_view PeekWord() const {
    size_t end = pos_;
    while (end < text_.size() && !IsBlank(text_[end])) ++end;
    return text_.substr(pos_, end - pos_);
  }
  std::string_view Word() {
    std::string_view w = PeekWord();
    pos_ += w.size();
    SkipBlanks();
    return w;
  }
  // Takes the word when it is `expected` (any letter case).
  bool Take(std::string_view expected) {
    if (ToLower(PeekWord()) != ToLower(expected)) return false;
    Word();
    return true;
  }
  // Takes the longest name of a point of the planet table at the cursor; 0 when none is there.
  int Point(const ReferenceTables& tables) {
    int best = 0;
    size_t bestLength = 0;
    const std::string rest = ToLower(text_.substr(pos_));
    for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) {
      const std::string name = ToLower(Trim(tables.Planet(i).name));
      if (name.empty() || name.size() <= bestLength || rest.compare(0, name.size(), name) != 0) continue;
      if (rest.size() > name.size() && !IsBlank(rest[name.size()])) continue;
      best = i;
      bestLength = name.size();
    }
    pos_ += bestLength;
    SkipBlanks();
    return best;
  }
  // What is left, for the messages.
  std::string_view Rest() const { return text_.substr(pos_); }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t'; }
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  std::string_view text_;
  size_t pos_ = 0;
};

std::string Found(std::string_view text) {
  return text.empty() ? std::string("the end of the line") : fmt::format("'{}'", text);
}

// A plain decimal number ("2", "0.5", "-1"): no exponent, no "nan".
std::optional<double> DecimalNumber(std::string_view text) {
  if (text.empty() || text.find_first_not_of("+-.0123456789") != std::string_view::npos) return std::nullopt;
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// A number within (least, most] (or [least, most] when `leastIncluded`), to a millionth, so
// that it is written back as it reads.
std::optional<double> NumberIn(std::string_view text, double least, double most, bool leastIncluded) {
  auto value = DecimalNumber(text);
  if (value) value = std::round(*value * 1e6) / 1e6;
  if (!value || *value > most || *value < least || (!leastIncluded && *value == least)) return std::nullopt;
  return value;
}

std::optional<int> WholeIn(std::string_view text, int least, int most) {
  auto value = WholeNumber(text);
  if (!value || *value < least || *value > most || text.find_first_of("+-") != std::string_view::npos) return std::nullopt;
  return static_cast<int>(*value);
}

// The items of a comma-separated list ("Mon,Tue, Wed"), blanks around each dropped.
std::vector<std::string> ListItems(std::string_view text) {
  std::vector<std::string> items;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    items.push_back(Trim(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
    if (comma == std::string_view::npos) return items;
    start = comma + 1;
  }
}

// "HH:MM" as minutes after midnight; 24:00 only where `endOfDay` is allowed.
std::optional<int> ClockMinutes(std::string_view text, bool endOfDay) {
  if (text.size() != 5 || text[2] != ':') return std::nullopt;
  auto hours = WholeIn(text.substr(0, 2), 0, 24);
  auto minutes = WholeIn(text.substr(3, 2), 0, 59);
  if (!hours || !minutes || (*hours == 24 && (!endOfDay || *minutes != 0))) return std::nullopt;
  return *hours * 60 + *minutes;
}

std::string PointName(const ReferenceTables& tables, int index) {
  return index >= 1 && index <= tables.NumPlanetsUsed() ? Trim(tables.Planet(index).name) : fmt::format("#{}", index);
}

using Result = Parsed<Condition>;
Result Refused(std::string error) { return Result{std::nullopt, std::move(error)}; }
Result Made(Condition condition) { return Result{std::move(condition), {}}; }

Result Finished(Cursor& cursor, Condition condition) {
  if (!cursor.AtEnd()) return Refused(fmt::format("expected the end of the condition, not '{}'", cursor.Rest()));
  return Made(std::move(condition));
}

Result ParseAspect(Cursor& cursor, const ReferenceTables& tables) {
  AspectInOrb a;
  if (!(a.transitPoint = cursor.Point(tables)))
    return Refused(fmt::format("expected a planet or point after 'transit', not {}", Found(cursor.PeekWord())));
  std::string_view caption = cursor.Word();
  a.aspect = -1;
  for (int k = aspect::Conjunction; k <= aspect::LastLongitude; ++k)
    if (caption == Trim(tables.aspectCaptions[static_cast<size_t>(k)])) a.aspect = k;
  if (a.aspect < 0) {
    std::string captions;
    for (int k = aspect::Conjunction; k <= aspect::LastLongitude; ++k)
      captions += (k ? " " : "") + Trim(tables.aspectCaptions[static_cast<size_t>(k)]);
    return Refused(fmt::format("expected an aspect ({}) after '{}', not {}", captions,
                               PointName(tables, a.transitPoint), Found(caption)));
  }
  if (cursor.Take("natal"))
    a.otherIsTransit = false;
  else if (cursor.Take("transit"))
    a.otherIsTransit = true;
  else
    return Refused(fmt::format("expected 'natal' or 'transit' after the aspect, not {}", Found(cursor.PeekWord())));
  std::string_view other = cursor.PeekWord();
  if (!(a.otherPoint = cursor.Point(tables)))
    return Refused(fmt::format("expected a planet or point after '{}', not {}", a.otherIsTransit ? "transit" : "natal",
                               Found(other)));
  if (a.otherIsTransit && a.otherPoint == a.transitPoint)
    return Refused(fmt::format("expected another point than '{}' for a transit-to-transit aspect",
                               PointName(tables, a.otherPoint)));
  if (!cursor.Take("orb")) return Refused(fmt::format("expected 'orb' and degrees, not {}", Found(cursor.PeekWord())));
  std::string_view orb = cursor.Word();
  auto orbDeg = NumberIn(orb, 0, MaxOrbDeg, false);
  if (!orbDeg)
    return Refused(fmt::format("expected an orb of more than 0 and at most {} degrees after 'orb', not {}",
                               NumberText(MaxOrbDeg), Found(orb)));
  a.orbDeg = *orbDeg;
  if (cursor.Take("applying"))
    a.motion = AspectMotion::Applying;
  else if (cursor.Take("separating"))
    a.motion = AspectMotion::Separating;
  return Finished(cursor, a);
}

Result ParseTime(Cursor& cursor) {
  std::string_view text = cursor.Word();
  size_t dash = text.find('-');
  std::optional<int> from, to;
  if (dash != std::string_view::npos) {
    from = ClockMinutes(text.substr(0, dash), false);
    to = ClockMinutes(text.substr(dash + 1), true);
  }
  if (!from || !to)
    return Refused(fmt::format("expected a time of day HH:MM-HH:MM (hours 00 to 23, minutes 00 to 59, 24:00 at the "
                               "end) after 'time', not {}", Found(text)));
  if (*from == *to) return Refused(fmt::format("expected a time of day that ends after it starts, not '{}'", text));
  return Finished(cursor, TimeOfDay{*from, *to});
}

Result ParseWeekdays(Cursor& cursor) {
  const std::string list(cursor.Rest());
  OnWeekdays w;
  for (const std::string& item : ListItems(list)) {
    std::optional<size_t> day;
    const std::string lower = ToLower(item);
    for (size_t d = 0; d < kDayNames.size(); ++d)
      if (lower.size() >= 3 && ToLower(kDayNames[d]).compare(0, lower.size(), lower) == 0) day = d;
    if (!day)
      return Refused(fmt::format("expected days of the week Mon to Sun, separated by commas, not {}", Found(item)));
    w.days[*day] = true;
  }
  return Made(w);
}

Result ParseAfterPoint(Cursor& cursor, int point, const ReferenceTables& tables) {
  const std::string name = PointName(tables, point);
  const bool moon = point == MoonIndex(tables);
  if (cursor.Take("void")) {
    if (!moon) return Refused(fmt::format("expected 'Moon void': only the Moon is void of course, not '{}'", name));
    return Finished(cursor, MoonVoid{});
  }
  if (cursor.Take("retrograde")) {
    if (!tables.IsBody(point)) return Refused(fmt::format("expected a planet before 'retrograde', not '{}'", name));
    return Finished(cursor, Retrograde{point});
  }
  if (cursor.Take("stationary")) {
    if (!tables.IsBody(point)) return Refused(fmt::format("expected a planet before 'stationary', not '{}'", name));
    Stationary s{point, 24};
    if (!cursor.AtEnd()) {
      std::string_view hours = cursor.Word();
      auto value = NumberIn(hours, 0, kMaxStationHours, false);
      if (!value)
        return Refused(fmt::format("expected hours from the station (more than 0, at most {}) after 'stationary', not {}",
                                   NumberText(kMaxStationHours), Found(hours)));
      s.withinHours = *value;
    }
    return Finished(cursor, s);
  }
  if (!cursor.Take("in"))
    return Refused(fmt::format("expected 'void', 'retrograde', 'stationary' or 'in' after '{}', not {}", name,
                               Found(cursor.PeekWord())));
  if (cursor.Take("mansion")) {
    if (!moon) return Refused(fmt::format("expected 'Moon in mansion': mansions are the Moon's, not '{}'", name));
    std::string_view number = cursor.Word();
    auto mansion = WholeIn(number, 1, kMansions);
    if (!mansion) return Refused(fmt::format("expected a mansion from 1 to {} after 'mansion', not {}", kMansions, Found(number)));
    InMansion m{*mansion, 0};
    if (cursor.Take("pada")) {
      std::string_view padaText = cursor.Word();
      auto pada = WholeIn(padaText, 1, kPadas);
      if (!pada) return Refused(fmt::format("expected a pada from 1 to {} after 'pada', not {}", kPadas, Found(padaText)));
      m.pada = *pada;
    }
    return Finished(cursor, m);
  }
  if (cursor.Take("natal")) {
    if (!cursor.Take("house")) return Refused(fmt::format("expected 'house' after 'natal', not {}", Found(cursor.PeekWord())));
    std::string_view number = cursor.Word();
    auto house = WholeIn(number, 1, 12);
    if (!house) return Refused(fmt::format("expected a house from 1 to 12 after 'house', not {}", Found(number)));
    return Finished(cursor, InNatalHouse{point, *house});
  }
  InSigns s{point, {}};
  const std::string list(cursor.Rest());
  for (const std::string& item : ListItems(list)) {
    std::optional<size_t> sign;
    for (int k = 0; k < 12; ++k)
      if (ToLower(item) == ToLower(SignName(k))) sign = static_cast<size_t>(k);
    if (!sign)
      return Refused(fmt::format("expected signs Aries to Pisces separated by commas, 'mansion' or 'natal house' "
                                 "after 'in', not {}", Found(item)));
    s.signs[*sign] = true;
  }
  return Made(s);
}

// ---- Writing ---------------------------------------------------------------------------------

std::string ClockText(int minutes) { return fmt::format("{:02}:{:02}", minutes / 60, minutes % 60); }

std::array<const char*, 12> SignNames() {
  std::array<const char*, 12> names{};
  for (int k = 0; k < 12; ++k) names[static_cast<size_t>(k)] = SignName(k);
  return names;
}

std::string Joined(const auto& on, const auto& names, size_t letters) {
  std::string out;
  for (size_t k = 0; k < on.size(); ++k)
    if (on[k]) out += (out.empty() ? "" : ",") + std::string(names[k]).substr(0, letters);
  return out;
}

}  // namespace

Parsed<Condition> ParseCondition(std::string_view text, const ReferenceTables& tables) {
  Cursor cursor(text);
  if (cursor.AtEnd()) return Refused("expected a condition, not an empty text");
  if (cursor.Take("transit")) return ParseAspect(cursor, tables);
  if (cursor.Take("time")) return ParseTime(cursor);
  if (cursor.Take("weekday") || cursor.Take("weekdays")) return ParseWeekdays(cursor);
  if (cursor.Take("hits")) {
    if (!cursor.Take(">=")) return Refused(fmt::format("expected '>=' after 'hits', not {}", Found(cursor.PeekWord())));
    std::string_view number = cursor.Word();
    auto count = WholeIn(number, 1, 1000000);
    if (!count) return Refused(fmt::format("expected a number of hits of 1 or more after '>=', not {}", Found(number)));
    return Finished(cursor, HitsAtLeast{*count});
  }
  std::string_view first = cursor.PeekWord();
  int point = cursor.Point(tables);
  if (!point)
    return Refused(fmt::format("expected 'transit', 'time', 'weekday', 'hits' or a planet or point of the planet "
                               "table, not {}", Found(first)));
  return ParseAfterPoint(cursor, point, tables);
}

std::string ConditionText(const Condition& condition, const ReferenceTables& tables) {
  struct Writer {
    const ReferenceTables& tables;
    std::string operator()(const AspectInOrb& a) const {
      std::string out = fmt::format("transit {} {} {} {} orb {}", PointName(tables, a.transitPoint),
                                    Trim(tables.aspectCaptions.at(static_cast<size_t>(a.aspect))),
                                    a.otherIsTransit ? "transit" : "natal", PointName(tables, a.otherPoint),
                                    NumberText(a.orbDeg));
      if (a.motion == AspectMotion::Applying) out += " applying";
      if (a.motion == AspectMotion::Separating) out += " separating";
      return out;
    }
    std::string operator()(const MoonVoid&) const { return PointName(tables, MoonIndex(tables)) + " void"; }
    std::string operator()(const Retrograde& r) const { return PointName(tables, r.body) + " retrograde"; }
    std::string operator()(const Stationary& s) const {
      return fmt::format("{} stationary {}", PointName(tables, s.body), NumberText(s.withinHours));
    }
    std::string operator()(const InSigns& s) const {
      return fmt::format("{} in {}", PointName(tables, s.point), Joined(s.signs, SignNames(), std::string::npos));
    }
    std::string operator()(const InMansion& m) const {
      std::string out = fmt::format("{} in mansion {}", PointName(tables, MoonIndex(tables)), m.mansion);
      return m.pada ? out + fmt::format(" pada {}", m.pada) : out;
    }
    std::string operator()(const InNatalHouse& h) const {
      return fmt::format("{} in natal house {}", PointName(tables, h.point), h.house);
    }
    std::string operator()(const HitsAtLeast& h) const { return fmt::format("hits >= {}", h.count); }
    std::string operator()(const TimeOfDay& t) const {
      return fmt::format("time {}-{}", ClockText(t.fromMinute), ClockText(t.toMinute));
    }
    std::string operator()(const OnWeekdays& w) const { return "weekday " + Joined(w.days, kDayNames, 3); }
  };
  return std::visit(Writer{tables}, condition);
}

Parsed<ElectionItem> ParseElectionLine(std::string_view text, const ReferenceTables& tables) {
  Cursor cursor(text);
  ElectionItem item;
  if (cursor.Take("require"))
    item.role = Role::Required;
  else if (cursor.Take("avoid"))
    item.role = Role::Avoided;
  else if (cursor.Take("prefer"))
    item.role = Role::Preferred;
  else
    return {std::nullopt, fmt::format("expected 'require', 'avoid' or 'prefer' at the start, not {}", Found(cursor.PeekWord()))};
  if (item.role == Role::Preferred && DecimalNumber(cursor.PeekWord())) {
    std::string_view weight = cursor.Word();
    auto value = NumberIn(weight, 0, kMaxWeight, false);
    if (!value)
      return {std::nullopt, fmt::format("expected a weight of more than 0 and at most {} after 'prefer', not {}",
                                        NumberText(kMaxWeight), Found(weight))};
    item.weight = *value;
  }
  auto condition = ParseCondition(cursor.Rest(), tables);
  if (!condition) return {std::nullopt, condition.error};
  item.condition = *condition.value;
  return {item, {}};
}

std::string ElectionLineText(const ElectionItem& item, const ReferenceTables& tables) {
  const std::string condition = ConditionText(item.condition, tables);
  switch (item.role) {
    case Role::Required: return "require " + condition;
    case Role::Avoided: return "avoid " + condition;
    case Role::Preferred: break;
  }
  return item.weight == 1 ? "prefer " + condition : fmt::format("prefer {} {}", NumberText(item.weight), condition);
}

Parsed<ElectionItem> ParsePreferredArgument(std::string_view text, const ReferenceTables& tables) {
  ElectionItem item{Role::Preferred, 1, {}};
  // A weight is the number after the last "=", where one ends the text ("hits >= 3=2").
  if (size_t eq = text.rfind('='); eq != std::string_view::npos && eq > 0 && text[eq - 1] != '>' &&
                                   DecimalNumber(Trim(text.substr(eq + 1)))) {
    const std::string weight = Trim(text.substr(eq + 1));
    auto value = NumberIn(weight, 0, kMaxWeight, false);
    if (!value)
      return {std::nullopt, fmt::format("expected a weight of more than 0 and at most {} after '=', not '{}'",
                                        NumberText(kMaxWeight), weight)};
    item.weight = *value;
    text = text.substr(0, eq);
  }
  auto condition = ParseCondition(text, tables);
  if (!condition) return {std::nullopt, condition.error};
  item.condition = *condition.value;
  return {item, {}};
}

}  // namespace kesmora
