// Bringing a session up in a program folder: folders, seeding, files and the start persons.
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/test_support.h"
#include "core/reference/text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace kesmora {
namespace {

namespace fs = std::filesystem;

// Sets or clears an environment variable for the life of the object, then puts it back.
class EnvGuard {
 public:
  EnvGuard(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~EnvGuard() {
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
  }
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class StartupTest : public ::testing::Test {
 protected:
  StartOptions Options(const fs::path& home) const {
    StartOptions o;
    o.home = home;
    o.executableDir = test::ShippedDataDir();
    o.formats = LocaleFormats{DateOrder::DayMonthYear, ClockFormat::Hours24};
    return o;
  }
  // A program folder that already holds the shipped files.
  fs::path SeededHome() const {
    fs::path home = scratch.path() / "home";
    test::CopyShippedData(home);
    return home;
  }
  test::ScratchDir scratch;
  Session s;
};

TEST_F(StartupTest, NewHomeIsCreatedSeededAndLoaded) {
  fs::path home = scratch.path() / "new" / "kesmora";
  StartSession(s, Options(home));
  EXPECT_EQ(s.programDir, home);
  for (const char* file : {"planets_used.txt", "planet_names.txt", "aspect_definitions.txt",
                           "planet_constants_and_indexes.txt", "OPTIONS.OPT", "NAMES.FIL"})
    EXPECT_TRUE(fs::is_regular_file(home / file)) << file;
  for (const char* folder : {"ephems", "hits", "reports"}) EXPECT_TRUE(fs::is_directory(home / folder)) << folder;
  EXPECT_EQ(s.tables.NumPlanetsUsed(), 52);
  EXPECT_EQ(s.optionValues[option::HomeLatDeg], 51);
  EXPECT_EQ(s.settings.dataFile, (home / "NAMES.FIL").string());
  EXPECT_EQ(s.settings.optPath, home.string());
  EXPECT_EQ(s.formats.dateOrder, DateOrder::DayMonthYear);
  EXPECT_EQ(s.chart.planetLon.size(), 53u);
  EXPECT_EQ(s.chart.retrograde.size(), 52u);
}

TEST_F(StartupTest, EmptyExistingHomeIsSeeded) {
  fs::path home = scratch.path() / "empty";
  fs::create_directories(home);
  StartSession(s, Options(home));
  EXPECT_TRUE(fs::is_regular_file(home / "planets_used.txt"));
}

TEST_F(StartupTest, ExistingFilesAndFoldersAreLeftAlone) {
  fs::path home = SeededHome();
  std::string names = "Mine,01 Jan 2000,9.05,P,-1,-002.20,48.52,FR,Paris\r\n";
  scratch.Write("home/NAMES.FIL", names);
  scratch.Write("home/hits/old_hits.csv", "a,b\r\n");
  scratch.Write("home/reports/LASTPAGE.TXT", "page\r\n");
  StartSession(s, Options(home));
  EXPECT_EQ(ReadWholeFile(home / "NAMES.FIL").value_or(""), names);
  EXPECT_EQ(ReadWholeFile(home / "hits" / "old_hits.csv").value_or(""), "a,b\r\n");
  EXPECT_EQ(ReadWholeFile(home / "reports" / "LASTPAGE.TXT").value_or(""), "page\r\n");
  EXPECT_TRUE(fs::is_directory(home / "ephems"));
}

TEST_F(StartupTest, FilesAreFoundIgnoringLetterCase) {
  fs::path home = SeededHome();
  fs::rename(home / "OPTIONS.OPT", home / "options.opt");
  scratch.Write("home/kesmora.ini", "FontSize= 12\r\nperson_name_1=Example\r\n");
  StartSession(s, Options(home));
  EXPECT_EQ(s.optionValues[option::HomeLatDeg], 51);
  EXPECT_EQ(s.settings.fontSize, 12);
  EXPECT_EQ(s.settings.personName1, "Example");
  EXPECT_EQ(s.SettingsFile(), home / "kesmora.ini");
}

TEST_F(StartupTest, MissingOptionsFileIsFatal) {
  fs::path home = SeededHome();
  fs::remove(home / "OPTIONS.OPT");
  try {
    StartSession(s, Options(home));
    FAIL() << "no FatalError";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("OPTIONS.OPT"), std::string::npos) << e.what();
    EXPECT_EQ(e.title, "Fatal error");
  }
}

class MissingStartFileTest : public StartupTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingStartFileTest, ReferenceFileMissingFromAnExistingHomeIsFatal) {
  fs::path home = SeededHome();
  fs::remove(home / GetParam());
  std::string expected;
  try {
    ReferenceTables t;
    LoadReferenceData(t, home);
  } catch (const FatalError& e) {
    expected = e.what();
  }
  ASSERT_FALSE(expected.empty());
  try {
    StartSession(s, Options(home));
    FAIL() << "no FatalError without " << GetParam();
  } catch (const FatalError& e) {
    EXPECT_EQ(e.what(), expected);
    EXPECT_NE(expected.find(GetParam()), std::string::npos) << expected;
  }
  EXPECT_FALSE(fs::exists(home / GetParam()));  // an existing home is not seeded again
}

INSTANTIATE_TEST_SUITE_P(Files, MissingStartFileTest,
                         ::testing::Values("planet_constants_and_indexes.txt", "aspect_definitions.txt",
                                           "planets_used.txt", "planet_names.txt"));

// ---- Program directory -------------------------------------------------------------------

TEST_F(StartupTest, ProgramDirPrecedence) {
  fs::path explicitHome = scratch.path() / "explicit";
  fs::path envHome = scratch.path() / "env";
  fs::path exeWithData = scratch.path() / "bin";
  fs::path exeWithout = scratch.path() / "bare";
  scratch.Write("bin/planets_used.txt", "g SE_SUN\r\n");
  fs::create_directories(exeWithout);

  EnvGuard xdg("XDG_DATA_HOME", (scratch.path() / "xdg").c_str());
  {
    EnvGuard env("KESMORA_HOME", envHome.c_str());
    EXPECT_EQ(ResolveProgramDir(explicitHome, exeWithData), explicitHome);
    EXPECT_EQ(ResolveProgramDir(std::nullopt, exeWithData), envHome);
    EXPECT_EQ(ResolveProgramDir(fs::path(), exeWithData), envHome);  // an empty home counts as none
  }
  {
    EnvGuard env("KESMORA_HOME", "");
    EXPECT_EQ(ResolveProgramDir(std::nullopt, exeWithData), exeWithData);
  }
  {
    EnvGuard env("KESMORA_HOME", nullptr);
    EXPECT_EQ(ResolveProgramDir(std::nullopt, exeWithData), exeWithData);
    EXPECT_EQ(ResolveProgramDir(std::nullopt, exeWithout), scratch.path() / "xdg" / "kesmora");
  }
}

TEST_F(StartupTest, SeedingAndCaseInsensitiveLookup) {
  fs::path bare = scratch.path() / "bare";
  SeedProgramDir(bare, std::nullopt);
  EXPECT_TRUE(fs::is_directory(bare));
  EXPECT_TRUE(fs::is_empty(bare));

  scratch.Write("look/Names.Fil", "x");
  EXPECT_EQ(FindIgnoringCase(scratch.path() / "look", "NAMES.FIL"), scratch.path() / "look" / "Names.Fil");
  EXPECT_EQ(FindIgnoringCase(scratch.path() / "look", "other.txt"), scratch.path() / "look" / "other.txt");
}

// ---- Start persons -----------------------------------------------------------------------

TEST_F(StartupTest, LastPersonNotInTheNamesFileLeavesNow) {
  StartSession(s, Options(SeededHome()));
  s.settings.personName1 = "Nobody";
  RecordingInterface ui;
  FillStartPersons(s, ui);
  EXPECT_TRUE(ui.messages.empty());
  ASSERT_EQ(s.names.records.size(), 1u);
  EXPECT_EQ(s.person1.name, "Now");
  EXPECT_EQ(s.person2.name, "Transits - Now");
  EXPECT_EQ(s.person1.latDeg, "51");  // the home place of OPTIONS.OPT
  EXPECT_EQ(s.person1.latMin, "29");
  EXPECT_FALSE(s.person1.south);
}

TEST_F(StartupTest, LastPersonInTheNamesFileIsLoaded) {
  StartSession(s, Options(SeededHome()));
  s.settings.personName1 = "Example";
  RecordingInterface ui;
  FillStartPersons(s, ui);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(s.person1.name, "Example");
  EXPECT_EQ(s.person1.year, "1949");
  EXPECT_EQ(s.person1.city, "Houston");
  EXPECT_EQ(s.person2.name, "Transits - Now");

  s.settings.personName1 = "Nobody";
  s.settings.personName2 = "Example";
  FillStartPersons(s, ui);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(s.person1.name, "Now");
  EXPECT_EQ(s.person2.name, "Example");
  EXPECT_EQ(s.person2.timeZone, "6.35889");
}

TEST_F(StartupTest, FaultyNamesShowTheirMessages) {
  fs::path home = SeededHome();
  scratch.Write("home/NAMES.FIL", "Bad,31 Feb 1949,10.43,A,6,95.23,29.45,TX,Houston\r\nShort,1 Jan 2000\r\n");
  StartSession(s, Options(home));
  s.settings.personName1 = "Bad";
  RecordingInterface ui;
  FillStartPersons(s, ui);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].title, "Error!");
  EXPECT_EQ(ui.messages[0].text, NamesFileReadError);
  EXPECT_EQ(ui.messages[1].title, "Error!");
  EXPECT_EQ(ui.messages[1].text, SelectedDataError);
  EXPECT_EQ(s.person1.name, "Bad");  // filled before the date failed
}

}  // namespace
}  // namespace kesmora
