#include "core/results/hits_file.h"

#include "core/reference/text.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>

namespace kesmora {

std::filesystem::path HitsFolder(const std::filesystem::path& programDir) { return programDir / HitsFolderName; }

std::filesystem::path WorkingHitsFile(const std::filesystem::path& programDir) {
  return HitsFolder(programDir) / WorkingHitsFileName;
}

int HitsSeries::StartMinuteOfDay() const {
  return (startHour % 12) * 60 + (half == "am" ? 0 : 720) + startMinute;
}

std::string TimeLabel(int minuteOfDay) {
  int m = ((minuteOfDay % MinutesPerDay) + MinutesPerDay) % MinutesPerDay;
  int hour = m / 60;
  int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  return fmt::format("{:02d}:{:02d} {}", hour12, m % 60, hour < 12 ? "am" : "pm");
}

void LabelSeries(HitsSeries& s) {
  const int n = s.Points();
  s.labels.assign(static_cast<size_t>(n) + 2, std::string());
  const int start = s.StartMinuteOfDay();
  for (int i = 1; i <= n + 1; ++i)
    s.labels[static_cast<size_t>(i)] = TimeLabel(start + (i - 1) * s.stepMinutes);
}

HitsSeries SeriesOfDay(const std::string& title, const std::string& dateText, const MinuteCounts& counts) {
  HitsSeries s;
  s.title = title;
  s.dateText = dateText;
  s.counts.assign(MinutesPerDay + 2, 0);
  for (int m = 0; m < MinutesPerDay; ++m) s.counts[static_cast<size_t>(m) + 1] = counts[static_cast<size_t>(m)];
  LabelSeries(s);
  return s;
}

namespace {

std::string NumberLine(long long value) { return fmt::format("{}{} ", value < 0 ? "" : " ", value); }


// A text line as a value: blanks around it dropped, enclosing quotes removed.
std::string TextValue(const std::string& line) {
  std::string v = Trim(line);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return v;
}

std::optional<int> WholeNumber(const std::string& line, int lowest, int highest) {
  std::string v = Trim(line);
  if (!v.empty() && v[0] == '+') v.erase(0, 1);
  int value = 0;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (v.empty() || ec != std::errc() || end != v.data() + v.size()) return std::nullopt;
  if (value < lowest || value > highest) return std::nullopt;
  return value;
}

}  // namespace

std::string HitsFileText(const HitsSeries& s) {
  std::string out;
  out.reserve(16 + s.counts.size() * 6);
  auto line = [&](const std::string& text) {
    out += text;
    out += CRLF;
  };
  line(s.title);
  line(s.dateText);
  line(NumberLine(s.startHour));
  line(NumberLine(s.startMinute));
  line(s.half);
  line(NumberLine(s.spanMinutes));
  line(NumberLine(s.stepMinutes));
  for (int i = 1; i <= s.Points(); ++i) line(NumberLine(s.counts[static_cast<size_t>(i)]));
  return out;
}

std::optional<CivilDate> SeriesDate(const std::string& dateText, DateOrder order) {
  return ParseStoredDate(dateText, order);
}

HitsFileReading ParseHitsFile(std::string_view text, DateOrder order) {
  HitsFileReading r;
  std::vector<std::string> lines = SplitLines(text);
  while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
  if (lines.size() < 7) {
    r.error = "it ends before its seven header lines";
    return r;
  }
  HitsSeries s;
  s.title = TextValue(lines[0]);
  s.dateText = TextValue(lines[1]);
  if (!SeriesDate(s.dateText, order)) {
    r.error = fmt::format("line 2 (\"{}\") is not a date", s.dateText);
    return r;
  }
  auto number = [&](size_t index, const char* what, int lowest, int highest) {
    auto v = WholeNumber(lines[index], lowest, highest);
    if (!v && r.error.empty())
      r.error = fmt::format("line {} ({}) is not a whole number from {} to {}", index + 1, what, lowest, highest);
    return v.value_or(0);
  };
  s.startHour = number(2, "start hour", 1, 12);
  s.startMinute = number(3, "start minute", 0, 59);
  s.half = TextValue(lines[4]);
  s.spanMinutes = number(5, "span in minutes", 0, MaxSeriesPoints);
  s.stepMinutes = number(6, "step in minutes", 1, MaxSeriesPoints);
  if (!r.error.empty()) return r;
  long long points = std::llround(static_cast<double>(s.spanMinutes) / s.stepMinutes) + 1;
  if (points > MaxSeriesPoints) {
    r.error = fmt::format("its span and step give {} points, more than {}", points, MaxSeriesPoints);
    return r;
  }
  s.counts.assign(1, 0);
  for (size_t k = 7; k < lines.size(); ++k) {
    if (Trim(lines[k]).empty()) continue;
    auto v = WholeNumber(lines[k], 0, MaxHitCount);
    if (!v) {
      r.error = fmt::format("line {} (\"{}\") is not a count from 0 to {}", k + 1, Trim(lines[k]), MaxHitCount);
      return r;
    }
    s.counts.push_back(*v);
  }
  // A file cut short (or made by hand) shows the counts it has; the series has no room for more.
  if (s.Points() == 0) {
    r.error = "it holds no counts";
    return r;
  }
  if (s.Points() > points) {
    r.error = fmt::format("it holds {} counts where its header gives {} points", s.Points(), points);
    return r;
  }
  LabelSeries(s);
  r.series = std::move(s);
  return r;
}

std::optional<std::string> DatedCopyName(const std::string& person1Name, const std::string& dateText,
                                         DateOrder order) {
  auto date = SeriesDate(dateText, order);
  if (!date) return std::nullopt;
  // A name is a file name here: separators and control characters would lead elsewhere.
  std::string name = person1Name;
  for (char& c : name)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) c = '_';
  return fmt::format("{}_{:02d}-{:02d}-{:04d}_0000_0.csv", name, date->month, date->day, date->year);
}

std::string WithCrlfLineEnds(std::string_view text) { return JoinCrlf(SplitLines(text)); }

}  // namespace kesmora
