#include "core/settings/settings.h"

#include "core/reference/format.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <cmath>
#include <functional>
#include <limits>

namespace kesmora {

void Settings::SetPathDefaults(const std::filesystem::path& programDir) {
  std::string dir = programDir.string();
  dataFile = (programDir / "NAMES.FIL").string();
  for (std::string* p : {&csvPath, &optPath, &mpnPath, &mptPath, &aptPath, &nakPath, &nmpPath}) *p = dir;
}

ChartOptions ChartOptionsOf(const Settings& s) {
  ChartOptions o;
  o.zodiac = s.optZodiac[1] ? Zodiac::Sidereal : Zodiac::Tropical;
  o.houses = HouseSystem::None;
  for (int k = 0; k < 4; ++k)
    if (s.optHouseSystem[static_cast<size_t>(k)]) {
      o.houses = static_cast<HouseSystem>(k);
      break;
    }
  return o;
}

namespace {

// How a value is written and which values the reader accepts.
enum class Kind {
  Number,       // sign-or-blank number, always taken
  FontSize,     // sign-or-blank, taken from 7.75
  Top,          // sign-or-blank whole number, taken when not negative
  Left,         // sign-or-blank whole number, always taken
  Extent,       // sign-or-blank whole number, taken when above 0
  Text,         // taken when not empty
  OptionalText, // as Text, written only when not empty
  Check,        // whole number without blank
  Option,       // True / False
  PlainNumber,  // whole number without blank, always taken
  Width,        // whole number without blank, taken from 0 to the largest 16-bit number
};

struct Entry {
  std::string key;    // as written, with "="
  std::string match;  // the start of a line that selects this entry
  Kind kind;
  std::function<std::string()> get;
  std::function<void(const std::string&)> set;
};

std::string SignOrBlank(double v) { return (v < 0 ? "" : " ") + NumberText(v); }

std::string Written(Kind kind, const std::string& raw) {
  switch (kind) {
    case Kind::Number: case Kind::FontSize: case Kind::Top: case Kind::Left: case Kind::Extent:
      return SignOrBlank(LeadingNumber(raw));
    default:
      return raw;
  }
}

constexpr double kLargestFontSize = 72;

bool Accepts(Kind kind, const std::string& value) {
  double v = LeadingNumber(value);
  // Whole-number settings are judged as they are kept, rounded, so what is taken survives
  // a write and a read (a height of 0.4 is a height of 0).
  double whole = std::round(v);
  switch (kind) {
    case Kind::Number: return std::isfinite(v);
    case Kind::FontSize: return v >= 7.75 && v <= kLargestFontSize;
    case Kind::Top: return whole >= 0 && whole <= std::numeric_limits<short>::max();
    case Kind::Left: case Kind::Check: return std::abs(whole) <= std::numeric_limits<int>::max();
    case Kind::Extent: return whole > 0 && whole <= std::numeric_limits<short>::max();
    case Kind::Width: return whole >= 0 && whole <= std::numeric_limits<short>::max();
    case Kind::PlainNumber:
      return whole >= std::numeric_limits<short>::min() && whole <= std::numeric_limits<short>::max();
    case Kind::Text: case Kind::OptionalText: return !value.empty();
    case Kind::Option: return true;
  }
  return false;
}

bool TruthValue(const std::string& text) {
  std::string t = ToLower(Trim(text));
  if (t == "true") return true;
  if (t == "false") return false;
  return LeadingNumber(t) != 0;
}

class EntryTable {
 public:
  explicit EntryTable(Settings& s) { Build(s); }
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  void Add(std::string key, Kind kind, std::function<std::string()> get,
           std::function<void(const std::string&)> set, bool matchWithoutEquals = false) {
    std::string match = matchWithoutEquals ? key : key + "=";
    entries_.push_back({key + "=", match, kind, std::move(get), std::move(set)});
  }
  void AddNumber(const std::string& key, Kind kind, double& v, bool loose = false) {
    Add(key, kind, [&v] { return NumberText(v); }, [&v](const std::string& t) { v = LeadingNumber(t); }, loose);
  }
  void AddInt(const std::string& key, Kind kind, int& v, bool loose = false) {
    Add(key, kind, [&v] { return std::to_string(v); },
        [&v](const std::string& t) { v = ClampedInt(LeadingNumber(t)); }, loose);
  }
  void AddText(const std::string& key, std::string& v, Kind kind = Kind::Text, bool loose = false) {
    Add(key, kind, [&v] { return v; }, [&v](const std::string& t) { v = t; }, loose);
  }
  void AddOption(const std::string& key, bool& v) {
    Add(key, Kind::Option, [&v] { return std::string(v ? "True" : "False"); },
        [&v](const std::string& t) { v = TruthValue(t); });
  }
  void AddRect(const std::string& prefix, WindowRect& r, bool loose = false) {
    AddInt(prefix + "Top", Kind::Top, r.top, loose);
    AddInt(prefix + "Left", Kind::Left, r.left, loose);
    AddInt(prefix + "Height", Kind::Extent, r.height, loose);
    AddInt(prefix + "Width", Kind::Extent, r.width, loose);
  }
  void AddPos(const std::string& prefix, WindowPos& p) {
    AddInt(prefix + "Top", Kind::Top, p.top);
    AddInt(prefix + "Left", Kind::Left, p.left);
  }

  void Build(Settings& s) {
    AddNumber("FontSize", Kind::FontSize, s.fontSize, true);
    AddNumber("FontBold", Kind::Number, s.fontBold, true);
    AddNumber("FontItalic", Kind::Number, s.fontItalic, true);
    AddRect("Kesmora", s.mainWindow);
    // The main window's top may be negative (a window partly above the screen).
    entries_[3].kind = Kind::Left;
    AddRect("Data", s.dataWindow);
    AddRect("GridForm", s.gridForm);
    AddRect("AngleGraph", s.angleGraph, true);
    AddRect("HitGraph", s.hitGraph, true);
    AddPos("lunar_mansions_form_FormWindow", s.lunarMansionsForm);
    AddPos("Midpoints_t_to_n_Form", s.midpointsTtoN);
    AddPos("Midpoints_t_to_t_Form", s.midpointsTtoT);
    AddPos("Midpoints_t_to_nmp_Form", s.midpointsTtoNmp);
    AddText("DataFile", s.dataFile, Kind::Text, true);
    AddText("AtlasDir", s.atlasDir, Kind::OptionalText, true);
    AddText("csv_path", s.csvPath);
    AddText("csv_filename", s.csvFilename);
    AddText("opt_path", s.optPath);
    AddText("opt_filename", s.optFilename);
    AddText("mpn_path", s.mpnPath);
    AddText("mpn_filename", s.mpnFilename);
    AddText("mpt_path", s.mptPath);
    AddText("mpt_filename", s.mptFilename);
    AddText("apt_path", s.aptPath);
    AddText("apt_filename", s.aptFilename);
    AddText("nak_path", s.nakPath);
    AddText("nak_filename", s.nakFilename);
    AddText("nmp_path", s.nmpPath);
    AddText("nmp_filename", s.nmpFilename);
    AddText("txtDaysToCalculate", s.txtDaysToCalculate);
    AddText("txtStartTime", s.txtStartTime);
    AddText("txtEndTime", s.txtEndTime);
    AddText("txtMinutesBeforeExact", s.txtMinutesBeforeExact);
    AddText("txtMinutesAfterExact", s.txtMinutesAfterExact);
    AddText("txtDaysForwardBack", s.txtDaysForwardBack);
    AddInt("chkNatal_Transit_0", Kind::Check, s.chkNatal_Transit[0]);
    AddInt("chkNatal_Transit_1", Kind::Check, s.chkNatal_Transit[1]);
    AddInt("chkEnableTimePeriod", Kind::Check, s.chkEnableTimePeriod);
    AddInt("chkIncludeTDeg_to_NDeg", Kind::Check, s.chkIncludeTDeg_to_NDeg);
    AddInt("chkIncludeAuspiciousPoints", Kind::Check, s.chkIncludeAuspiciousPoints);
    AddInt("chkIncludeLunarMansions", Kind::Check, s.chkIncludeLunarMansions);
    AddInt("chkInclude_Transit_Midpoints_to_Natal_Planets", Kind::Check,
           s.chkInclude_Transit_Midpoints_to_Natal_Planets);
    AddInt("chkInclude_Transit_Midpoints_to_Transit_Planets", Kind::Check,
           s.chkInclude_Transit_Midpoints_to_Transit_Planets);
    AddInt("chkInclude_Transit_Planets_to_Natal_Midpoints", Kind::Check,
           s.chkInclude_Transit_Planets_to_Natal_Midpoints);
    AddInt("chkInclude_Transit_Midpoints_to_Natal_Midpoints", Kind::Check,
           s.chkInclude_Transit_Midpoints_to_Natal_Midpoints);
    AddOption("optZodiac_0", s.optZodiac[0]);
    AddOption("optZodiac_1", s.optZodiac[1]);
    for (size_t k = 0; k < 4; ++k) AddOption(fmt::format("optHouseSystem_{}", k), s.optHouseSystem[k]);
    AddText("person_name_1", s.personName1);
    AddText("person_name_2", s.personName2);
    for (size_t k = 0; k < s.chkP1Planets.size(); ++k)
      AddInt(fmt::format("chkP1Planets_{:02d}", k), Kind::Check, s.chkP1Planets[k]);
    for (size_t k = 0; k < s.chkP2Planets.size(); ++k)
      AddInt(fmt::format("chkP2Planets_{:02d}", k), Kind::Check, s.chkP2Planets[k]);
    for (size_t k = 0; k < s.chkAspects.size(); ++k)
      AddInt(fmt::format("chkAspects_{:02d}", k), Kind::Check, s.chkAspects[k]);
    AddInt("excel_column_width", Kind::PlainNumber, s.excelColumnWidth, true);
    for (size_t k = 0; k < s.gridColumnWidths.size(); ++k)
      AddInt(fmt::format("GridColumnWidth_{:02d}", k), Kind::Width, s.gridColumnWidths[k]);
    AddInt("TipOfTheDay", Kind::Width, s.lastTip);
    // Later than the rest: files written before it keep their order, and their default.
    AddRect("FavourableForm", s.favourableWindow);
  }

  std::vector<Entry> entries_;
};

}  // namespace

void ReadSettings(Settings& settings, const std::filesystem::path& file) {
  if (auto text = ReadTextFile(file)) ParseSettings(settings, *text);
}

void ParseSettings(Settings& settings, std::string_view text) {
  EntryTable table(settings);
  for (const std::string& line : SplitLines(text)) {
    size_t eq = line.find('=');
    std::string value = eq == std::string::npos ? line : line.substr(eq + 1);
    for (const Entry& e : table.entries()) {
      if (line.compare(0, e.match.size(), e.match) != 0) continue;
      std::string v = (e.kind == Kind::Text || e.kind == Kind::OptionalText) ? value : Trim(value);
      if (Accepts(e.kind, v)) e.set(v);
    }
  }
}

std::string SettingsText(const Settings& settings) {
  Settings copy = settings;  // the table binds to a mutable object
  EntryTable table(copy);
  std::vector<std::string> lines{SettingsHeader};
  for (const Entry& e : table.entries()) {
    std::string raw = e.get();
    if (e.kind == Kind::OptionalText && raw.empty()) continue;
    lines.push_back(e.key + Written(e.kind, raw));
  }
  return JoinCrlf(lines);
}

WriteResult WriteSettings(const Settings& settings, const std::filesystem::path& file) {
  return WriteFileAtomically(file, SettingsText(settings));
}

}  // namespace kesmora
