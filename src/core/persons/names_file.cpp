#include "core/persons/names_file.h"

#include "core/persons/birth_data.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kesmora {

int NamesList::Find(const std::string& name) const {
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].name == name) return static_cast<int>(i);
  return -1;
}

std::optional<NamesRecord> ParseNamesLine(std::string_view line) {
  if (line.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
  std::vector<std::string> v = SplitValues(line);
  if (v.size() != NamesRecordFields) return std::nullopt;
  return NamesRecord{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
}

NamesList ParseNames(const std::string& text) {
  NamesList list;
  list.opened = true;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t k = 0; k < lines.size(); ++k) {
    if (Trim(lines[k]).empty()) continue;
    std::optional<NamesRecord> record = ParseNamesLine(lines[k]);
    if (record && !Trim(record->name).empty())
      list.records.push_back(std::move(*record));
    else
      list.unreadable.push_back({static_cast<int>(k + 1), lines[k], list.records.size()});
  }
  return list;
}

std::string NamesFileErrorText(const std::filesystem::path& file, const std::vector<UnreadableLine>& lines) {
  // A file that is no names file at all would name every line: the first ones say enough.
  constexpr size_t kNamed = 10;
  std::string numbers;
  const size_t named = std::min(lines.size(), kNamed);
  for (size_t k = 0; k < named; ++k) {
    if (k > 0) numbers += k + 1 == named && lines.size() <= kNamed ? " and " : ", ";
    numbers += std::to_string(lines[k].number);
  }
  if (lines.size() > kNamed) numbers += fmt::format(" and {} more", lines.size() - kNamed);
  return fmt::format("You have an error in the names file {} on line{} {}. {}", file.string(),
                     lines.size() == 1 ? "" : "s", numbers, NamesFileReadError);
}

NamesList ReadNamesFile(const std::filesystem::path& file) {
  auto bytes = ReadWholeFile(file);
  if (!bytes) return NamesList{};
  DecodedText decoded = DecodeFileText(*bytes);
  NamesList list = ParseNames(decoded.text);
  list.windows1252 = decoded.windows1252;
  return list;
}

std::string NamesRecordLine(const NamesRecord& r) {
  std::string line;
  for (const std::string* value : {&r.name, &r.date, &r.time, &r.amPm, &r.timeZone, &r.longitude, &r.latitude,
                                   &r.stateCountry, &r.city}) {
    if (value != &r.name) line += ',';
    line += QuotedWhereNeeded(*value);
  }
  return line;
}

NamesRecord RecordFromFields(const PersonFields& f) {
  NamesRecord r;
  r.name = f.name;
  r.date = DayMonthNameYear({ClampedInt(LeadingNumber(f.year)), ClampedInt(LeadingNumber(f.month)),
                             ClampedInt(LeadingNumber(f.day))});
  r.time = FixedPattern(LeadingNumber(f.hour) + LeadingNumber(f.minute) / 100, 0, 2);
  r.amPm = f.half == HalfDay::AM ? "A" : f.half == HalfDay::PM ? "P" : "U";
  r.timeZone = Trim(f.timeZone);
  const double longitude = LeadingNumber(f.longDeg) + LeadingNumber(f.longMin) / 100;
  r.longitude = FixedPattern(f.east ? -longitude : longitude, 3, 2);
  const double latitude = LeadingNumber(f.latDeg) + LeadingNumber(f.latMin) / 100;
  r.latitude = FixedPattern(f.south ? -latitude : latitude, 2, 2);
  r.stateCountry = f.stateCountry;
  r.city = f.city;
  return r;
}

std::string EditedNamesFileBytes(const std::string& fileBytes, const std::string& shownText,
                                 const std::string& editedText) {
  if (editedText == shownText) return fileBytes;
  if (editedText.size() < 2) return "";
  return JoinCrlf(SplitLines(editedText));
}

std::string NamesFileLabel(const std::string& path) {
  std::string dir;
  return ToUpper(SplitPath(path, dir));
}

namespace {

// Minutes of a stored "degrees.minutes" number: the two decimals as a whole number.
std::string MinutePart(double value) {
  double whole = std::trunc(value);
  return std::to_string(std::lround(std::abs(value - whole) * 100));
}

// The date year first; a day part that is no day of any month leaves the date as it is, for
// the date reader to refuse.
std::string YearFirst(const std::string& date) {
  size_t firstBlank = date.find(' ');
  std::string dayPart = firstBlank == std::string::npos ? date : date.substr(0, firstBlank);
  std::string month = firstBlank == std::string::npos ? "" : date.substr(firstBlank + 1, 3);
  std::string year = Trim(date.size() >= 4 ? date.substr(date.size() - 4) : date);
  double day = LeadingNumber(dayPart);
  if (!(day >= 0 && day < 100)) return date;
  return year + " " + month + " " + ZeroPadded(std::lround(day), 2);
}

// A stored number that a field can show: finite and far inside what a whole number holds.
// Ranges that make sense are judged later, by the checks of the chart calculation.
std::optional<double> StoredNumber(const std::string& text) {
  double v = LeadingNumber(text);
  if (!std::isfinite(v) || std::abs(v) >= 1e6) return std::nullopt;
  return v;
}

}  // namespace

std::string StoredDateInOrder(const std::string& date, DateOrder order) {
  if (order == DateOrder::YearMonthDay && date.size() >= 5 && date[4] != ' ') return YearFirst(date);
  return date;
}

bool LoadPersonFromRecord(const NamesRecord& r, PersonFields& f, DateOrder order, std::string* problem) {
  auto unreadable = [problem](const char* field, const std::string& text) {
    if (problem) *problem = std::string(field) + " '" + text + "'";
    return false;
  };
  f.name = r.name;
  const std::string storedDate = StoredDateInOrder(r.date, order);
  auto date = ParseStoredDate(storedDate, order);
  if (!date) return unreadable("date", storedDate);
  f.month = std::to_string(date->month);
  f.day = std::to_string(date->day);
  f.year = std::to_string(date->year);

  std::optional<double> t = StoredNumber(r.time);
  if (!t) return unreadable("time", r.time);
  // The hour field's own rule applies to a loaded hour as to a typed one (0 shows as 12).
  bool pm = false;
  f.hour = ApplyHourRule(std::to_string(static_cast<long long>(std::trunc(*t))), pm);
  f.minute = std::to_string(std::lround((*t - std::trunc(*t)) * 100));

  std::string half = ToUpper(r.amPm);
  f.half = half == "A" ? HalfDay::AM : half == "P" ? HalfDay::PM : HalfDay::Unknown;
  std::optional<double> zone = StoredNumber(r.timeZone);
  if (!zone) return unreadable("time zone", r.timeZone);
  f.timeZone = NumberText(*zone);

  std::optional<double> lon = StoredNumber(r.longitude);
  if (!lon) return unreadable("longitude", r.longitude);
  f.longDeg = std::to_string(static_cast<long long>(std::abs(std::trunc(*lon))));
  f.longMin = MinutePart(*lon);
  f.east = *lon < 0;
  std::optional<double> lat = StoredNumber(r.latitude);
  if (!lat) return unreadable("latitude", r.latitude);
  f.latDeg = std::to_string(static_cast<long long>(std::abs(std::trunc(*lat))));
  f.latMin = MinutePart(*lat);
  f.south = *lat < 0;

  f.stateCountry = r.stateCountry;
  f.city = r.city;
  return true;
}

}  // namespace kesmora
