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

struct DamagedFileCase {
  const char* file;
  bool empty;  // empty rather than missing, as a copy on a full disk leaves it
};

class DamagedStartFileTest : public StartupTest, public ::testing::WithParamInterface<DamagedFileCase> {};

TEST_P(DamagedStartFileTest, IsCopiedAgainIntoAnExistingHome) {
  fs::path home = SeededHome();
  if (GetParam().empty)
    scratch.Write(std::string("home/") + GetParam().file, "");
  else
    fs::remove(home / GetParam().file);
  scratch.Write("home/NAMES.FIL", "Mine,01 Jan 2000,9.05,P,-1,-002.20,48.52,FR,Paris\r\n");
  StartSession(s, Options(home));
  EXPECT_EQ(ReadWholeFile(home / GetParam().file), ReadWholeFile(test::ShippedDataDir() / GetParam().file));
  EXPECT_EQ(s.tables.NumPlanetsUsed(), 52);
  EXPECT_EQ(s.optionValues[option::HomeLatDeg], 51);
  EXPECT_EQ(ReadWholeFile(home / "NAMES.FIL").value_or("").substr(0, 4), "Mine");  // the user's own file stays
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedStartFileTest,
                         ::testing::Values(DamagedFileCase{"planet_constants_and_indexes.txt", true},
                                           DamagedFileCase{"aspect_definitions.txt", false},
                                           DamagedFileCase{"planets_used.txt", true},
                                           DamagedFileCase{"planet_names.txt", false},
                                           DamagedFileCase{"OPTIONS.OPT", true},
                                           DamagedFileCase{"OPTIONS.OPT", false}));

TEST_F(StartupTest, ACopyThatFailsIsFatalAndNamesItsCause) {
  fs::path home = SeededHome();
  fs::remove(home / "OPTIONS.OPT");
  fs::create_directories(home / "OPTIONS.OPT");  // in the way of the copy
  try {
    StartSession(s, Options(home));
    FAIL() << "no FatalError";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()),
              "I cannot copy 'OPTIONS.OPT' into the program folder " + home.string() + ": Is a directory.");
    EXPECT_EQ(e.title, "Fatal error");
  }
}

TEST_F(StartupTest, WithoutShippedDataAMissingReferenceFileIsFatal) {
  fs::path home = SeededHome();
  fs::remove(home / "planets_used.txt");
  SeedProgramDir(home, std::nullopt);
  EXPECT_FALSE(fs::exists(home / "planets_used.txt"));
  ReferenceTables t;
  EXPECT_THROW(LoadReferenceData(t, home), FatalError);
}

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

TEST_F(StartupTest, FaultyNamesShowTheirMessagesAndTheBlockStartsWithNow) {
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
  EXPECT_EQ(s.person1.name, "Now");
  EXPECT_EQ(s.person1.latDeg, "51");
}

TEST_F(StartupTest, ALastPersonWithADateTooLongForAnyNumberStillStarts) {
  fs::path home = SeededHome();
  scratch.Write("home/NAMES.FIL", "Long,22 Sep 19490000000,10.43,A,6,95.23,29.45,TX,Houston\r\n");
  scratch.Write("home/Kesmora.INI", "person_name_2=Long\r\n");
  StartSession(s, Options(home));
  RecordingInterface ui;
  FillStartPersons(s, ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, SelectedDataError);
  EXPECT_EQ(s.person2.name, "Transits - Now");
}

TEST_F(StartupTest, ANamesFileThatCannotBeOpenedIsReported) {
  StartSession(s, Options(SeededHome()));
  s.settings.dataFile = (scratch.path() / "gone" / "NAMES.FIL").string();
  RecordingInterface ui;
  LoadNamesList(s, ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Error!");
  EXPECT_EQ(ui.messages[0].text, "I cannot open the names file " + s.settings.dataFile + ".");
  EXPECT_TRUE(s.names.records.empty());
}

}  // namespace
}  // namespace kesmora
