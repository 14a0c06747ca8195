// Kesmora.INI and OPTIONS.OPT: written and read back, the values each keeps or refuses, and the
// check made before the Options window saves OPTIONS.OPT (every line the reader takes as an
// option must start with a number); and the search-selection files: which transit planets,
// natal planets and aspects are ticked.
#include "core/test_support.h"
#include "core/reference/text.h"
#include "core/settings/options_file.h"
#include "core/settings/settings.h"
#include "core/reference/reference_tables.h"
#include "core/settings/selection_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace kesmora {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  Settings Defaults() const {
    Settings s;
    s.SetPathDefaults(dir.path());
    return s;
  }
  Settings ReadText(const std::string& text) const {
    Settings s = Defaults();
    ReadSettings(s, dir.Write("Kesmora.INI", text));
    return s;
  }
  test::ScratchDir dir;
};

TEST_F(SettingsTest, WriteReadWriteGivesTheSameBytes) {
  Settings s = Defaults();
  s.fontSize = 11.25, s.fontBold = 1, s.fontItalic = -1;
  s.mainWindow = {-60, -2000, 9000, 12000};
  s.hitGraph = {5, -5, 600, 700};
  s.favourableWindow = {450, 900, 9000, 18000};
  s.midpointsTtoNmp = {11, -12};
  s.gridColumnWidths[4] = 600;
  s.dataFile = "/data/Clients.FIL";
  s.atlasDir = "/opt/atlas";
  s.csvFilename = "out=1.csv";
  s.txtDaysToCalculate = "30";
  s.chkNatal_Transit = {0, 1};
  s.optZodiac = {false, true};
  s.optHouseSystem = {false, false, true, false};
  s.personName1 = "Example";
  s.chkP1Planets[61] = 1;
  s.chkAspects[16] = 1;
  s.excelColumnWidth = 14;

  auto file = dir.path() / "Kesmora.INI";
  ASSERT_TRUE(WriteSettings(s, file));
  std::string first = ReadWholeFile(file).value_or("");
  EXPECT_NE(first.find("\r\nKesmoraTop=-60\r\n"), std::string::npos);  // no blank before a minus
  Settings back = Defaults();
  ReadSettings(back, file);
  EXPECT_EQ(SettingsText(back), SettingsText(s));
  ASSERT_TRUE(WriteSettings(back, file));
  EXPECT_EQ(ReadWholeFile(file).value_or(""), first);

  // Lines in another order, or ended by CR alone, give the same settings.
  std::vector<std::string> lines = test::SplitCrlf(first);
  std::reverse(lines.begin(), lines.end());
  std::string crOnly;
  for (const std::string& line : lines) crOnly += line + "\r";
  EXPECT_EQ(SettingsText(ReadText(crOnly)), SettingsText(s));
  // A missing file keeps every default.
  Settings none = Defaults();
  ReadSettings(none, dir.path() / "none.INI");
  EXPECT_EQ(SettingsText(none), SettingsText(Defaults()));
}

TEST_F(SettingsTest, ValuesAreTakenOrTheDefaultIsKept) {
  auto n = [](double v) { return NumberText(v); };
  const struct {
    const char* line;
    std::function<std::string(const Settings&)> value;
    const char* expected;
  } cases[] = {
      {"FontSize= 7.75", [&](const Settings& s) { return n(s.fontSize); }, "7.75"},
      {"FontSize= 73", [&](const Settings& s) { return n(s.fontSize); }, "8.5"},
      {"FontSize= 1e300", [&](const Settings& s) { return n(s.fontSize); }, "8.5"},
      {"FontBold= 1e400", [&](const Settings& s) { return n(s.fontBold); }, "0"},
      {"GridFormHeight= 0", [&](const Settings& s) { return n(s.gridForm.height); }, "6765"},
      {"GridFormTop=-5", [&](const Settings& s) { return n(s.gridForm.top); }, "300"},
      {"KesmoraTop=1e300", [&](const Settings& s) { return n(s.mainWindow.top); }, "0"},
      {"DataHeight= 40000", [&](const Settings& s) { return n(s.dataWindow.height); }, "11060"},
      // Whole numbers are judged rounded, as they are kept, so what is taken survives a write.
      {"KesmoraHeight=0.4", [&](const Settings& s) { return n(s.mainWindow.height); }, "12585"},
      {"DataWidth= 0.6", [&](const Settings& s) { return n(s.dataWindow.width); }, "1"},
      {"DataFile=", [](const Settings& s) { return s.dataFile.substr(s.dataFile.size() - 9); }, "NAMES.FIL"},
      {"txtDaysToCalculate=", [](const Settings& s) { return s.txtDaysToCalculate; }, "7"},
      {"optZodiac_1=True", [](const Settings& s) { return std::to_string(s.optZodiac[1]); }, "1"},
      {"chkAspects_00=1e300", [&](const Settings& s) { return n(s.chkAspects[0]); }, "1"},
      {"excel_column_width=1e400", [&](const Settings& s) { return n(s.excelColumnWidth); }, "5"},
      // A later line wins, but a refused later value does not undo an earlier one.
      {"person_name_2=First\r\nperson_name_2=Second", [](const Settings& s) { return s.personName2; }, "Second"},
      {"FontSize= 9\r\nFontSize= 7", [&](const Settings& s) { return n(s.fontSize); }, "9"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.value(ReadText(std::string(SettingsHeader) + "\r\n" + c.line + "\r\n")), c.expected) << c.line;
}

// ---- OPTIONS.OPT -------------------------------------------------------------------------

TEST(OptionsFile, SevenCharactersOfTwentyFourLinesUpToAnEmptyLine) {
  test::ScratchDir dir;
  auto read = [&](const std::string& text) {
    OptionValues v;
    v.fill(-99);
    EXPECT_TRUE(ReadOptionsFile(v, dir.Write("OPTIONS.OPT", text)));
    return v;
  };
  OptionValues v = read("12345678\r\n6.35889 home time zone\r\n-5     \r\nabc\r\n1.5e2xx\n1e300\r\n1e400\r-3e38\n1e-50\r\n");
  const float expected[] = {-99, 1234567, 6.35889f, -5, 0, 150, 0, 0, -3e38f, 0};
  for (size_t k = 0; k < std::size(expected); ++k) EXPECT_FLOAT_EQ(v[k], expected[k]) << k;

  v = read("1\r\n2\r\n\r\n4\r\n");
  EXPECT_EQ(v[2], 2);
  EXPECT_EQ(v[4], -99);
  std::string text;
  for (int k = 1; k <= 26; ++k) text += std::to_string(k) + "\r\n";
  v = read(text);
  EXPECT_EQ(v[24], 24);
  EXPECT_EQ(v[0], -99);

  v.fill(3);
  EXPECT_FALSE(ReadOptionsFile(v, dir.path() / "missing.opt"));
  EXPECT_FALSE(ReadOptionsFile(v, dir.path()));
  EXPECT_EQ(v[18], 3);
}

std::string Lines(int count, const std::string& last = "") {
  std::string text;
  for (int k = 1; k <= count; ++k) text += std::to_string(k) + "      option\r\n";
  return text + last;
}

TEST(CheckOptionsText, FindsTheFirstLineTheReaderWouldNotTake) {
  const std::pair<std::string, int> cases[] = {  // the faulty line, 0 when the text is accepted
      {Lines(24), 0}, {"-5.5 zone\n+3\n  .5 lead blanks\n", 0}, {Lines(17, "x0     zone\r\n0\r\n"), 18},
      {Lines(3, "   \r\n"), 4},
      {"1\n        5 too far right\n", 2},  // the number beyond the seven characters read
      {Lines(2, "\r\nnot an option\r\n"), 0},  // text after an empty line is not read
      {Lines(24, "free notes\r\n"), 0},      // nor after line 24
      {"1\r\n2\r\nthree", 3}};
  for (const auto& [text, faultLine] : cases) {
    auto fault = CheckOptionsText(text);
    EXPECT_EQ(fault ? fault->line : 0, faultLine) << text;
  }
  EXPECT_EQ(OptionsFaultMessage({18, "x0 zone"}, "OPTIONS.OPT"),
            "Line 18 of OPTIONS.OPT does not start with a number:\n\"x0 zone\"\nThe file was not saved.");
}

// The tip window's box writes option 13 into the file: its value only, the rest kept.
TEST(WithOptionValue, SetsOneValueAndKeepsEveryOtherCharacter) {
  EXPECT_EQ(WithOptionValue(Lines(14), 13, 0), Lines(12) + "0       option\r\n14      option\r\n");
  EXPECT_EQ(WithOptionValue("1\n2\n3", 2, 1.5f), "1\r\n1.5    \r\n3");  // no line break added at the end
  for (const std::string& tooShort : {Lines(12), Lines(5, "\r\n" + Lines(10))})
    EXPECT_FALSE(WithOptionValue(tooShort, 13, 1)) << tooShort;
}

// ---- Search-selection files --------------------------------------------------------------

class SelectionFileTest : public ::testing::Test {
 protected:
  SelectionFileTest() { LoadReferenceData(tables, test::ShippedDataDir()); }

  // Every box set by a pattern that differs between the three groups.
  static Settings Patterned() {
    Settings s;
    for (size_t k = 0; k < NumPlanetBoxes; ++k) s.chkP1Planets[k] = k % 3 == 0, s.chkP2Planets[k] = k % 2 == 1;
    for (size_t k = 0; k < NumAspectBoxes; ++k) s.chkAspects[k] = k % 4 != 2;
    return s;
  }
  static Settings AllTicked() {
    Settings s;
    s.chkP1Planets.fill(1), s.chkP2Planets.fill(1), s.chkAspects.fill(1);
    return s;
  }
  static void ExpectBoxes(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.chkP1Planets, b.chkP1Planets);
    EXPECT_EQ(a.chkP2Planets, b.chkP2Planets);
    EXPECT_EQ(a.chkAspects, b.chkAspects);
  }

  ReferenceTables tables;
  test::ScratchDir dir;
};

TEST_F(SelectionFileTest, WrittenAndReadBack) {
  std::vector<std::string> lines = test::SplitCrlf(SelectionText(Patterned(), tables));
  ASSERT_EQ(lines.size(), 141u);
  // Transit boxes, then the natal boxes from the first planet again, then the aspects.
  for (auto [n, line] : {std::pair{0, "1 - Sun"}, {63, "1 - Moon"}, {126, "0 - 030"}, {140, "1 - c.p"}})
    EXPECT_EQ(lines[static_cast<size_t>(n)], line);
  auto file = dir.path() / "choice.opt";
  ASSERT_TRUE(WriteSelectionFile(Patterned(), tables, file));
  Settings read = AllTicked();
  ASSERT_TRUE(ReadSelectionFile(read, file));
  ExpectBoxes(read, Patterned());
  EXPECT_FALSE(WriteSelectionFile(AllTicked(), tables, dir.path() / "no-such-folder" / "x.opt"));
}

TEST_F(SelectionFileTest, AShortOrMissingFileChangesNoBox) {
  // 140 cleared lines with LF line ends: one short of a whole file.
  std::string text;
  for (int n = 0; n < 140; ++n) text += "0 - x\n";
  Settings s = AllTicked();
  SelectionLoad load = ReadSelectionFile(s, dir.Write("short.opt", text));
  EXPECT_EQ(load.status, SelectionLoad::Status::TooShort);
  EXPECT_EQ(SelectionLoadError(load, "short.opt"),
            "The file short.opt has 140 lines; a settings file has 141. No box was changed.");
  ExpectBoxes(s, AllTicked());
  EXPECT_EQ(ReadSelectionFile(s, dir.path() / "none.opt").status, SelectionLoad::Status::Unreadable);
  ExpectBoxes(s, AllTicked());
}

// A selection saved over OPTIONS.OPT once set the home place to 0/0: the program's own files of
// its folder are refused, in any letter case and through a link; the same names elsewhere are not.
TEST_F(SelectionFileTest, TheProgramsOwnFilesAreRefusedAsTargets) {
  namespace fs = std::filesystem;
  const fs::path home = dir.path() / "home";
  fs::create_directories(home / "reports");
  fs::create_symlink(home / "OPTIONS.OPT", home / "reports" / "link.opt");
  for (const char* own : {"options.opt", "OPTIONS.MST", "Kesmora.INI", "planet_names.txt", "reports/link.opt"})
    EXPECT_TRUE(ProgramFileRefusal(home / own, home)) << own;
  EXPECT_EQ(ProgramFileRefusal(home / "reports" / "link.opt", home),
            "OPTIONS.OPT is one of the program's own files. Please choose another name for your settings file.");
  for (const char* other : {"mine.opt", "reports/OPTIONS.OPT"}) EXPECT_FALSE(ProgramFileRefusal(home / other, home)) << other;
}

}  // namespace
}  // namespace kesmora
