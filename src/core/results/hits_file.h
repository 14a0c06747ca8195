#pragma once
// The hits file: a title, a date, where the series starts, its span and step, then one hit
// count per point. The graph window keeps its series in the working file temp_hits.csv in the
// hits folder and saves dated copies beside it.
#include "core/reference/format.h"
#include "core/results/hotspots.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

inline constexpr const char* HitsFolderName = "hits";
inline constexpr const char* WorkingHitsFileName = "temp_hits.csv";
inline constexpr int MaxSeriesPoints = 32767;
inline constexpr int MaxHitCount = 32767;

std::filesystem::path HitsFolder(const std::filesystem::path& programDir);
std::filesystem::path WorkingHitsFile(const std::filesystem::path& programDir);

// The points of a graph: index 1..n, index 0 unused; labels for 0..n + 1.
struct HitsSeries {
  std::string title;     // "Person 1 and Person 2"
  std::string dateText;  // the date in the user's date order
  int startHour = 12;    // 12-hour clock, 1..12
  int startMinute = 0;
  std::string half = "am";  // exactly "am" is before noon; any other text after noon
  int spanMinutes = MinutesPerDay, stepMinutes = 1;
  std::vector<int> counts{0};
  std::vector<std::string> labels;

  int Points() const { return static_cast<int>(counts.size()) - 1; }
  // Minutes after midnight of point 1.
  int StartMinuteOfDay() const;
};

// "hh:mm am" on the 12-hour clock; minutes past a day wrap round.
std::string TimeLabel(int minuteOfDay);
// Labels of points 1..n + 1 from the start and step (label 0 stays empty).
void LabelSeries(HitsSeries& series);

// The series of one day's minute counts: points 1..1440 are the minutes from midnight, point
// 1441 (midnight again) counts 0.
HitsSeries SeriesOfDay(const std::string& title, const std::string& dateText, const MinuteCounts& counts);

// The file's text, CR LF line ends; numbers as blank (or minus), digits, blank.
std::string HitsFileText(const HitsSeries& series);

struct HitsFileReading {
  std::optional<HitsSeries> series;
  std::string error;  // why the text is no hits file, when series is empty
};
// Reads a hits file; its date is read in the given order (or as "22 Sep 1949"). Accepts LF,
// CR LF and CR line ends. A file with fewer counts than its header gives has that many points;
// one with more is refused.
HitsFileReading ParseHitsFile(std::string_view text, DateOrder order);

// The saved copy's name: "Example_09-22-1949_0000_0.csv"; nothing when the date cannot be read.
std::optional<std::string> DatedCopyName(const std::string& person1Name, const std::string& dateText,
                                         DateOrder order);

// The date of a series' date text.
std::optional<CivilDate> SeriesDate(const std::string& dateText, DateOrder order);

// The text with its line ends made CR LF and exactly one line break at the end.
std::string WithCrlfLineEnds(std::string_view text);

}  // namespace kesmora
