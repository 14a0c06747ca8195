#pragma once
// Window positions, fonts, file paths, main-window choices and last persons, kept in
// Kesmora.INI between runs.
#include "core/chart/chart_calculator.h"
#include "core/reference/reference_tables.h"
#include "core/reference/text.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace kesmora {

inline constexpr const char* SettingsFileName = "Kesmora.INI";
inline constexpr const char* SettingsHeader = "[Kesmora] - Do NOT change the order of these variables.";

struct WindowRect {
  int top = 0, left = 0, height = 0, width = 0;  // twips
};
struct WindowPos {
  int top = 0, left = 0;
};

struct Settings {
  double fontSize = 8.5, fontBold = 0, fontItalic = 0;
  WindowRect mainWindow{0, 0, 12585, 16545};
  WindowRect dataWindow{0, 0, 11060, 9600};
  WindowRect gridForm{300, 300, 6765, 15750};
  WindowRect angleGraph{8910, 0, 8250, 14355};
  WindowRect hitGraph{660, 0, 8250, 14355};
  WindowRect favourableWindow{300, 300, 700 * 15, 1300 * 15};  // the picture wants the width
  WindowPos lunarMansionsForm{300, 300};
  WindowPos midpointsTtoN{600, 600}, midpointsTtoT{900, 900}, midpointsTtoNmp{1200, 1200};

  std::string dataFile;  // current names file
  std::string atlasDir;
  std::string csvPath, csvFilename, optPath, optFilename, mpnPath, mpnFilename;
  std::string mptPath, mptFilename, aptPath, aptFilename, nakPath, nakFilename;
  std::string nmpPath, nmpFilename;

  // Main-window choices, as the window starts when the file has none.
  std::string txtDaysToCalculate = "7", txtStartTime = "10.00", txtEndTime = "10.59";
  std::string txtMinutesBeforeExact = "30", txtMinutesAfterExact = "30", txtDaysForwardBack = "3";
  std::array<int, 2> chkNatal_Transit{1, 0};
  int chkEnableTimePeriod = 0, chkIncludeTDeg_to_NDeg = 0, chkIncludeAuspiciousPoints = 0;
  int chkIncludeLunarMansions = 0;
  int chkInclude_Transit_Midpoints_to_Natal_Planets = 0;
  int chkInclude_Transit_Midpoints_to_Transit_Planets = 0;
  int chkInclude_Transit_Planets_to_Natal_Midpoints = 0;
  int chkInclude_Transit_Midpoints_to_Natal_Midpoints = 0;
  std::array<bool, 2> optZodiac{true, false};
  std::array<bool, 4> optHouseSystem{true, false, false, false};
  std::string personName1 = "Now", personName2 = "Transits - Now";
  std::array<int, NumPlanetBoxes> chkP1Planets{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  std::array<int, NumPlanetBoxes> chkP2Planets{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1};
  std::array<int, NumAspectBoxes> chkAspects{1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 1, 1, 1};
  int excelColumnWidth = 5;
  // Widths of the data grid's 14 columns as the user last set them (twips); 0 leaves a column
  // to fit its contents.
  std::array<int, 14> gridColumnWidths{};
  // The tip of the day shown last (1-based, 0 for none): the next opening shows the one after.
  int lastTip = 0;

  // Paths default to the program directory.
  void SetPathDefaults(const std::filesystem::path& programDir);
};

ChartOptions ChartOptionsOf(const Settings& settings);

// Reads the file over the values already set; a missing file leaves them all. A value out of
// its range (or no number where one belongs) keeps what was set.
void ReadSettings(Settings& settings, const std::filesystem::path& file);
// The same from the text of such a file.
void ParseSettings(Settings& settings, std::string_view text);
std::string SettingsText(const Settings& settings);
// Writes the whole file; when it cannot be written the old file stays and the result says why.
WriteResult WriteSettings(const Settings& settings, const std::filesystem::path& file);

}  // namespace kesmora
