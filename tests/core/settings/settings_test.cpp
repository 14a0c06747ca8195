// Kesmora.INI and OPTIONS.OPT.
#include "core/test_support.h"
#include "core/reference/text.h"
#include "core/settings/options_file.h"
#include "core/settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace kesmora {
namespace {

// The key of a written line, "=" included.
std::string Key(const std::string& line) { return line.substr(0, line.find('=') + 1); }

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

TEST_F(SettingsTest, WrittenFileLayout) {
  std::vector<std::string> lines = test::SplitCrlf(SettingsText(Defaults()));
  ASSERT_EQ(lines.size(), 227u);  // the header and every key but the empty AtlasDir
  EXPECT_EQ(lines[0], SettingsHeader);
  EXPECT_EQ(lines[1], "FontSize= 8.5");
  EXPECT_EQ(lines[2], "FontBold= 0");
  EXPECT_EQ(lines[4], "KesmoraTop= 0");
  EXPECT_EQ(lines[6], "KesmoraHeight= 12585");
  EXPECT_EQ(lines[14], "GridFormHeight= 6765");
  EXPECT_EQ(lines[32], "DataFile=" + (dir.path() / "NAMES.FIL").string());
  EXPECT_EQ(lines[33], "csv_path=" + dir.path().string());
  EXPECT_EQ(Key(lines[63]), "optZodiac_0=");
  EXPECT_EQ(Key(lines[64]), "optZodiac_1=");
  EXPECT_EQ(lines[69], "person_name_1=Now");
  EXPECT_EQ(lines[70], "person_name_2=Transits - Now");
  EXPECT_EQ(Key(lines[71]), "chkP1Planets_00=");
  EXPECT_EQ(Key(lines[132]), "chkP1Planets_61=");
  EXPECT_EQ(Key(lines[133]), "chkP2Planets_00=");
  EXPECT_EQ(Key(lines[195]), "chkAspects_00=");
  EXPECT_EQ(Key(lines[211]), "chkAspects_16=");
  EXPECT_EQ(lines[212], "excel_column_width=5");
  EXPECT_EQ(lines[213], "GridColumnWidth_00=0");
  EXPECT_EQ(lines[226], "GridColumnWidth_13=0");

  Settings withAtlas = Defaults();
  withAtlas.atlasDir = "/opt/atlas";
  lines = test::SplitCrlf(SettingsText(withAtlas));
  ASSERT_EQ(lines.size(), 228u);
  EXPECT_EQ(lines[33], "AtlasDir=/opt/atlas");
}

TEST_F(SettingsTest, NegativeNumbersHaveNoBlank) {
  Settings s = Defaults();
  s.mainWindow.left = -120;
  s.fontSize = 10;
  std::string text = SettingsText(s);
  EXPECT_NE(text.find("\r\nKesmoraLeft=-120\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nFontSize= 10\r\n"), std::string::npos);
}

TEST_F(SettingsTest, WriteReadWriteGivesTheSameBytes) {
  Settings s = Defaults();
  s.fontSize = 11.25, s.fontBold = 1, s.fontItalic = -1;
  s.mainWindow = {-60, -2000, 9000, 12000};
  s.dataWindow = {10, 20, 30, 40};
  s.gridForm = {0, 0, 1, 1};
  s.hitGraph = {5, -5, 600, 700};
  s.midpointsTtoNmp = {11, -12};
  s.gridColumnWidths[4] = 600;
  s.dataFile = "/data/Clients.FIL";
  s.atlasDir = "/opt/atlas";
  s.csvFilename = "out=1.csv";
  s.nakFilename = "lunar.nak";
  s.txtDaysToCalculate = "30";
  s.chkEnableTimePeriod = 1;
  s.chkNatal_Transit = {0, 1};
  s.optZodiac = {false, true};
  s.optHouseSystem = {false, false, true, false};
  s.personName1 = "Example";
  s.chkP1Planets[61] = 1;
  s.chkP2Planets[0] = 0;
  s.chkAspects[16] = 1;
  s.excelColumnWidth = 14;

  auto file = dir.path() / "Kesmora.INI";
  ASSERT_TRUE(WriteSettings(s, file));
  std::string first = ReadWholeFile(file).value_or("");
  Settings back = Defaults();
  ReadSettings(back, file);
  EXPECT_EQ(back.fontSize, 11.25);
  EXPECT_EQ(back.mainWindow.top, -60);
  EXPECT_EQ(back.hitGraph.left, -5);
  EXPECT_EQ(back.csvFilename, "out=1.csv");
  EXPECT_EQ(back.optHouseSystem[2], true);
  EXPECT_EQ(back.optHouseSystem[0], false);
  EXPECT_EQ(back.chkP1Planets[61], 1);
  EXPECT_EQ(back.gridColumnWidths[4], 600);
  EXPECT_EQ(back.excelColumnWidth, 14);
  ASSERT_TRUE(WriteSettings(back, file));
  EXPECT_EQ(ReadWholeFile(file).value_or(""), first);
}

TEST_F(SettingsTest, LinesInAnotherOrderGiveTheSameResult) {
  Settings s = Defaults();
  s.gridForm = {1, 2, 3, 4};
  s.personName2 = "Transit place";
  s.chkAspects[5] = 0;
  std::vector<std::string> lines = test::SplitCrlf(SettingsText(s));
  std::reverse(lines.begin(), lines.end());
  std::rotate(lines.begin(), lines.begin() + 70, lines.end());
  Settings back = ReadText(JoinCrlf(lines));
  EXPECT_EQ(SettingsText(back), SettingsText(s));
}

TEST_F(SettingsTest, MissingFileKeepsEveryDefault) {
  Settings s = Defaults();
  ReadSettings(s, dir.path() / "none.INI");
  EXPECT_EQ(SettingsText(s), SettingsText(Defaults()));
}

struct AcceptCase {
  const char* line;
  std::function<std::string(const Settings&)> value;
  const char* expected;
};

class SettingsAcceptanceTest : public SettingsTest, public ::testing::WithParamInterface<AcceptCase> {};

TEST_P(SettingsAcceptanceTest, AcceptsOrKeepsTheDefault) {
  Settings s = ReadText(std::string(SettingsHeader) + "\r\n" + GetParam().line + "\r\n");
  EXPECT_EQ(GetParam().value(s), GetParam().expected) << GetParam().line;
}

std::string N(double v) { return NumberText(v); }
std::string B(bool v) { return v ? "true" : "false"; }

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingsAcceptanceTest,
    ::testing::Values(
        AcceptCase{"FontSize= 7.5", [](const Settings& s) { return N(s.fontSize); }, "8.5"},
        AcceptCase{"FontSize= 7.75", [](const Settings& s) { return N(s.fontSize); }, "7.75"},
        AcceptCase{"FontSize=abc", [](const Settings& s) { return N(s.fontSize); }, "8.5"},
        AcceptCase{"FontBold= -1", [](const Settings& s) { return N(s.fontBold); }, "-1"},
        AcceptCase{"GridFormHeight= 0", [](const Settings& s) { return N(s.gridForm.height); }, "6765"},
        AcceptCase{"GridFormWidth=-5", [](const Settings& s) { return N(s.gridForm.width); }, "15750"},
        AcceptCase{"GridFormTop=-5", [](const Settings& s) { return N(s.gridForm.top); }, "300"},
        AcceptCase{"GridFormTop= 0", [](const Settings& s) { return N(s.gridForm.top); }, "0"},
        AcceptCase{"GridFormLeft=-5", [](const Settings& s) { return N(s.gridForm.left); }, "-5"},
        AcceptCase{"GridFormLeft=x", [](const Settings& s) { return N(s.gridForm.left); }, "0"},
        AcceptCase{"KesmoraTop=-100", [](const Settings& s) { return N(s.mainWindow.top); }, "-100"},
        AcceptCase{"KesmoraHeight= 0", [](const Settings& s) { return N(s.mainWindow.height); }, "12585"},
        AcceptCase{"GridFormTop= 70000", [](const Settings& s) { return N(s.gridForm.top); }, "300"},
        AcceptCase{"DataHeight= 40000", [](const Settings& s) { return N(s.dataWindow.height); }, "11060"},
        AcceptCase{"DataHeight= 32767", [](const Settings& s) { return N(s.dataWindow.height); }, "32767"},
        AcceptCase{"AngleGraphLeft= 77", [](const Settings& s) { return N(s.angleGraph.left); }, "77"},
        AcceptCase{"lunar_mansions_form_FormWindowTop= 45",
                   [](const Settings& s) { return N(s.lunarMansionsForm.top); }, "45"},
        AcceptCase{"DataFile=", [](const Settings& s) { return s.dataFile.substr(s.dataFile.size() - 9); }, "NAMES.FIL"},
        AcceptCase{"DataFile=/x/a=b.FIL", [](const Settings& s) { return s.dataFile; }, "/x/a=b.FIL"},
        AcceptCase{"person_name_1=", [](const Settings& s) { return s.personName1; }, "Now"},
        AcceptCase{"person_name_1=Example", [](const Settings& s) { return s.personName1; }, "Example"},
        AcceptCase{"txtDaysToCalculate=", [](const Settings& s) { return s.txtDaysToCalculate; }, "7"},
        AcceptCase{"optZodiac_1=True", [](const Settings& s) { return B(s.optZodiac[1]); }, "true"},
        AcceptCase{"optZodiac_0=False", [](const Settings& s) { return B(s.optZodiac[0]); }, "false"},
        AcceptCase{"optHouseSystem_3=-1", [](const Settings& s) { return B(s.optHouseSystem[3]); }, "true"},
        AcceptCase{"optHouseSystem_0=0", [](const Settings& s) { return B(s.optHouseSystem[0]); }, "false"},
        AcceptCase{"chkAspects_03=1", [](const Settings& s) { return N(s.chkAspects[3]); }, "1"},
        AcceptCase{"chkP2Planets_61=1", [](const Settings& s) { return N(s.chkP2Planets[61]); }, "1"},
        AcceptCase{"chkNatal_Transit_1=1", [](const Settings& s) { return N(s.chkNatal_Transit[1]); }, "1"},
        AcceptCase{"excel_column_width=14", [](const Settings& s) { return N(s.excelColumnWidth); }, "14"},
        AcceptCase{"GridColumnWidth_13=2100", [](const Settings& s) { return N(s.gridColumnWidths[13]); }, "2100"},
        AcceptCase{"GridColumnWidth_00=-15", [](const Settings& s) { return N(s.gridColumnWidths[0]); }, "0"},
        AcceptCase{"NoSuchKey=9", [](const Settings& s) { return N(s.fontSize); }, "8.5"},
        // Whole numbers are judged rounded, as they are kept, so what is taken survives a write.
        AcceptCase{"KesmoraHeight=0.4", [](const Settings& s) { return N(s.mainWindow.height); }, "12585"},
        AcceptCase{"DataWidth= 0.6", [](const Settings& s) { return N(s.dataWindow.width); }, "1"},
        // Numbers beyond any window or font keep the default.
        AcceptCase{"FontSize= 1e300", [](const Settings& s) { return N(s.fontSize); }, "8.5"},
        AcceptCase{"FontSize= 73", [](const Settings& s) { return N(s.fontSize); }, "8.5"},
        AcceptCase{"FontBold= 1e400", [](const Settings& s) { return N(s.fontBold); }, "0"},
        AcceptCase{"KesmoraTop=1e300", [](const Settings& s) { return N(s.mainWindow.top); }, "0"},
        AcceptCase{"chkAspects_00=1e300", [](const Settings& s) { return N(s.chkAspects[0]); }, "1"},
        AcceptCase{"excel_column_width=1e400", [](const Settings& s) { return N(s.excelColumnWidth); }, "5"}));

TEST_F(SettingsTest, CrOnlyLineEndsReadAsLines) {
  Settings s = ReadText(std::string(SettingsHeader) + "\rFontSize= 12\rperson_name_1=Example\rKesmoraWidth= 9000\r");
  EXPECT_EQ(s.fontSize, 12);
  EXPECT_EQ(s.personName1, "Example");
  EXPECT_EQ(s.mainWindow.width, 9000);
}

TEST_F(SettingsTest, LaterLineWins) {
  Settings s = ReadText("person_name_2=First\r\nperson_name_2=Second\r\nFontSize= 9\r\nFontSize= 7\r\n");
  EXPECT_EQ(s.personName2, "Second");
  EXPECT_EQ(s.fontSize, 9);  // the refused later value does not undo the earlier one
}

TEST_F(SettingsTest, ChartOptionsFromTheOptionButtons) {
  Settings s = Defaults();
  s.optZodiac = {true, false};
  s.optHouseSystem = {true, false, false, false};
  EXPECT_EQ(ChartOptionsOf(s).zodiac, Zodiac::Tropical);
  EXPECT_EQ(ChartOptionsOf(s).houses, HouseSystem::Placidus);
  s.optZodiac = {false, true};
  s.optHouseSystem = {false, false, false, true};
  EXPECT_EQ(ChartOptionsOf(s).zodiac, Zodiac::Sidereal);
  EXPECT_EQ(ChartOptionsOf(s).houses, HouseSystem::AscMinus30);
  s.optHouseSystem = {false, false, false, false};
  EXPECT_EQ(ChartOptionsOf(s).houses, HouseSystem::None);
}

// ---- OPTIONS.OPT -------------------------------------------------------------------------

class OptionsFileTest : public ::testing::Test {
 protected:
  OptionValues Read(const std::string& text) {
    OptionValues v;
    v.fill(-99);
    EXPECT_TRUE(ReadOptionsFile(v, dir.Write("OPTIONS.OPT", text)));
    return v;
  }
  test::ScratchDir dir;
};

TEST_F(OptionsFileTest, ShippedFileGivesTheHomePlace) {
  OptionValues v{};
  ASSERT_TRUE(ReadOptionsFile(v, test::ShippedDataDir() / "OPTIONS.OPT"));
  EXPECT_EQ(v[option::LinesPerPrintedPage], 60);
  EXPECT_EQ(v[option::ShowTipAtStart], 1);
  EXPECT_EQ(v[option::HomeLatDeg], 51);
  EXPECT_EQ(v[option::HomeLatMin], 29);
  EXPECT_EQ(v[option::HomeNorthSouth], 0);
}

TEST_F(OptionsFileTest, EmptyThirdLineStopsReading) {
  OptionValues v = Read("1\r\n2\r\n\r\n4\r\n");
  EXPECT_EQ(v[1], 1);
  EXPECT_EQ(v[2], 2);
  for (size_t k = 3; k <= 24; ++k) EXPECT_EQ(v[k], -99) << k;
}

TEST_F(OptionsFileTest, OnlyTheFirstSevenCharactersCount) {
  OptionValues v = Read("12345678\r\n6.35889 home time zone\r\n-5     \r\nabc\r\n1.5e2xx\n");
  EXPECT_EQ(v[1], 1234567);
  EXPECT_FLOAT_EQ(v[2], 6.35889f);
  EXPECT_EQ(v[3], -5);
  EXPECT_EQ(v[4], 0);
  EXPECT_EQ(v[5], 150);
}

TEST_F(OptionsFileTest, NumbersASinglePrecisionOptionCannotHoldReadAsZero) {
  OptionValues v = Read("1e300\r\n1e400\r-3e38\n1e-50\r\n");
  EXPECT_EQ(v[1], 0);
  EXPECT_EQ(v[2], 0);
  EXPECT_FLOAT_EQ(v[3], -3e38f);
  EXPECT_EQ(v[4], 0);
}

TEST_F(OptionsFileTest, LinesAfterTheTwentyFourthAreIgnored) {
  std::string text;
  for (int k = 1; k <= 26; ++k) text += std::to_string(k) + "\r\n";
  OptionValues v = Read(text);
  for (size_t k = 1; k <= 24; ++k) EXPECT_EQ(v[k], static_cast<float>(k)) << k;
  EXPECT_EQ(v[0], -99);
}

TEST_F(OptionsFileTest, MissingFileLeavesValues) {
  OptionValues v;
  v.fill(3);
  EXPECT_FALSE(ReadOptionsFile(v, dir.path() / "OPTIONS.OPT"));
  EXPECT_FALSE(ReadOptionsFile(v, dir.path()));
  EXPECT_EQ(v[18], 3);
}

}  // namespace
}  // namespace kesmora
