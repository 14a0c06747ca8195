// Bringing a session up in a program folder: folders, seeding, files and the start persons;
// where the target lists keep their files; and "Now": the present instant on the clock of the
// home place, whatever the computer's own time zone, and the home place taken from that zone
// while OPTIONS.OPT still has Greenwich.
#include "core/app/list_files.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/test_support.h"
#include "core/reference/text.h"
#include "core/app/planetary_data.h"

#include <gtest/gtest.h>
#include <date/date.h>
#include <swephexp.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace kesmora {
namespace {

namespace fs = std::filesystem;

class StartupTest : public ::testing::Test {
 protected:
  StartOptions Options(const fs::path& home) const { return test::StartIn(home, DateOrder::DayMonthYear); }
  // A program folder that already holds the shipped files.
  fs::path SeededHome() const {
    fs::path home = scratch.path() / "home";
    test::CopyShippedData(home);
    return home;
  }
  test::ScratchDir scratch;
  Session s;
};

// A new program folder holds the shipped files and nothing else of the folder they come from:
// a build tree once gave it its test programs too.
TEST_F(StartupTest, ANewHomeGetsTheShippedFilesNotTheBuildTreesPrograms) {
  const fs::path bin = scratch.path() / "build" / "bin";
  test::CopyShippedData(bin);
  for (const char* stray : {"fuzz_replay_options", "kesmora-cli", "CMakeCache.txt"}) scratch.Write("build/bin/" + std::string(stray), "x");
  std::set<std::string> shipped;
  for (const auto& entry : fs::directory_iterator(test::ShippedDataDir())) shipped.insert(entry.path().filename().string());
  shipped.insert({"ephems", "hits", "reports"});
  fs::create_directories(scratch.path() / "empty");
  for (fs::path home : {scratch.path() / "new" / "kesmora", scratch.path() / "empty"}) {
    Session session;
    StartOptions options = Options(home);
    options.executableDir = bin;
    StartSession(session, options);
    EXPECT_EQ(session.programDir, home);
    std::set<std::string> seeded;
    for (const auto& entry : fs::directory_iterator(home)) seeded.insert(entry.path().filename().string());
    EXPECT_EQ(seeded, shipped);
    EXPECT_EQ(session.tables.NumPlanetsUsed(), 52);
    EXPECT_EQ(session.settings.dataFile, (home / "NAMES.FIL").string());
  }
}

TEST_F(StartupTest, ExistingFilesAreLeftAloneAndEmptyReferenceFilesSeededAgain) {
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
  // A reference file a full disk left empty, or one that went missing, is seeded again.
  const std::string shipped = ReadWholeFile(test::ShippedDataDir() / "planets_used.txt").value_or("");
  ASSERT_FALSE(shipped.empty());
  scratch.Write("home/planets_used.txt", "");
  fs::remove(home / "aspect_definitions.txt");
  Session again;
  StartSession(again, Options(home));
  EXPECT_EQ(ReadWholeFile(home / "planets_used.txt").value_or(""), shipped);
  EXPECT_TRUE(fs::is_regular_file(home / "aspect_definitions.txt"));
  EXPECT_EQ(again.tables.NumPlanetsUsed(), 52);
}

// The folder and the cause are named: a folder that cannot be made was once reported as a
// shipped file that could not be copied.
TEST_F(StartupTest, ASeedingThatFailsNamesTheFolderOrFileAtFault) {
  fs::path home = SeededHome();
  fs::remove(home / "OPTIONS.OPT");
  fs::create_directories(home / "OPTIONS.OPT");  // in the way of the copy
  const fs::path underAFile = scratch.Write("a-file", "x") / "kesmora";
  const std::pair<fs::path, std::string> cases[] = {
      {home, "I cannot copy 'OPTIONS.OPT' into the program folder " + home.string() + ": Is a directory."},
      {underAFile, "I cannot create the program folder " + underAFile.string() + ": Not a directory."}};
  for (const auto& [folder, message] : cases) {
    try {
      StartSession(s, Options(folder));
      ADD_FAILURE() << "no FatalError";
    } catch (const FatalError& e) {
      EXPECT_EQ(std::string(e.what()), message);
      EXPECT_EQ(e.title, "Fatal error");
    }
  }
}

// ---- Program directory -------------------------------------------------------------------

// Sets environment variables for one scope and puts back what was there.
struct ScopedEnv {
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
  void Set(const char* name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name);
    saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
  }
  ~ScopedEnv() {
    for (auto it = saved.rbegin(); it != saved.rend(); ++it)
      it->second ? setenv(it->first.c_str(), it->second->c_str(), 1) : unsetenv(it->first.c_str());
    tzset();  // the program reads $TZ whenever it asks for the system's zone
  }
};

// --home, then $KESMORA_HOME, then a build tree beside the executable, then the user's data folder.
TEST_F(StartupTest, ProgramDirectoryTakesTheFirstPlaceGiven) {
  const fs::path root = scratch.path();
  scratch.Write("build/planets_used.txt", "1\r\n");
  fs::create_directories(root / "bare");
  using Env = std::optional<std::string>;
  struct Case {
    const char* name;
    std::optional<fs::path> home;
    Env kesmoraHome;
    const char* executableDir;
    Env xdg, userHome;
    fs::path expected;
  } cases[] = {
      {"home option", root / "opt", (root / "env").string(), "build", (root / "xdg").string(), "/u", root / "opt"},
      {"KESMORA_HOME", std::nullopt, (root / "env").string(), "build", (root / "xdg").string(), "/u", root / "env"},
      {"empty home option", fs::path(), (root / "env").string(), "build", std::nullopt, "/u", root / "env"},
      {"build tree", std::nullopt, "", "build", (root / "xdg").string(), "/u", root / "build"},
      {"XDG_DATA_HOME", std::nullopt, std::nullopt, "bare", (root / "xdg").string(), "/u", root / "xdg" / "kesmora"},
      {"HOME", std::nullopt, std::nullopt, "bare", "", (root / "u").string(), root / "u" / ".local/share/kesmora"},
      {"relative home", fs::path("rel"), std::nullopt, "bare", std::nullopt, "/u", fs::current_path() / "rel"},
  };
  for (const Case& c : cases) {
    ScopedEnv env;
    env.Set("KESMORA_HOME", c.kesmoraHome);
    env.Set("XDG_DATA_HOME", c.xdg);
    env.Set("HOME", c.userHome);
    EXPECT_EQ(ResolveProgramDir(c.home, root / c.executableDir), c.expected) << c.name;
  }
}

// ---- Start persons -----------------------------------------------------------------------

// "Now" at noon, zone 0.
const HomeClockSource kNoon = [] { return ZoneClock{{{2026, 12, 5}, 12, 0}, 0}; };

TEST_F(StartupTest, TheLastPersonsAreLoadedWhenTheNamesFileHoldsThem) {
  StartSession(s, Options(SeededHome()));
  s.settings.personName1 = "Example";
  s.settings.personName2 = "Nobody";
  RecordingInterface ui;
  FillStartPersons(s, ui, kNoon);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(s.person1.name + " " + s.person1.year + " " + s.person1.city, "Example 1949 Houston");
  EXPECT_EQ(s.person2.name, "Transits - Now");
  s.settings.personName1 = "Nobody";
  s.settings.personName2 = "Example";
  FillStartPersons(s, ui, kNoon);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(s.person1.name, "Now");
  EXPECT_EQ(s.person1.latDeg + " " + s.person1.latMin, "51 29");  // the home place of OPTIONS.OPT
  EXPECT_EQ(s.person2.timeZone, "6.35889");
}

// With the year-first order the names table holds a loaded person's date year first, as
// the list it was chosen from does from then on.
TEST_F(StartupTest, LoadingAPersonHoldsItsDateYearFirst) {
  StartSession(s, Options(SeededHome()));
  s.formats.dateOrder = DateOrder::YearMonthDay;
  RecordingInterface ui;
  LoadNamesList(s, ui);
  const int example = s.names.Find("Example");
  ASSERT_GE(example, 0);
  ASSERT_TRUE(LoadPerson(s, Person::One, example, ui));
  EXPECT_EQ(s.names.records[static_cast<size_t>(example)].date, "1949 Sep 22");
  EXPECT_EQ(s.person1.year + "/" + s.person1.month + "/" + s.person1.day, "1949/9/22");
}

// A record that cannot be read (a date that is none, or too long for any number) is reported
// and the block starts with "Now"; so is a names file that cannot be opened.
TEST_F(StartupTest, FaultyNamesShowTheirMessagesAndTheBlockStartsWithNow) {
  fs::path home = SeededHome();
  scratch.Write("home/NAMES.FIL", "Bad,31 Feb 1949,10.43,A,6,95.23,29.45,TX,Houston\r\n"
                                  "Long,22 Sep 19490000000,10.43,A,6,95.23,29.45,TX,Houston\r\nShort,1 Jan 2000\r\n");
  StartSession(s, Options(home));
  s.settings.personName1 = "Bad";
  s.settings.personName2 = "Long";
  RecordingInterface ui;
  FillStartPersons(s, ui, kNoon);
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].title, "Error!");
  EXPECT_EQ(ui.messages[0].text, NamesFileErrorText(home / "NAMES.FIL", s.names.unreadable));
  EXPECT_NE(ui.messages[0].text.find(" on line 3. "), std::string::npos);
  EXPECT_EQ(ui.messages[1].text + ui.messages[2].text, std::string(SelectedDataError) + SelectedDataError);
  EXPECT_EQ(s.person1.name + " " + s.person1.latDeg + " / " + s.person2.name, "Now 51 / Transits - Now");

  s.settings.dataFile = (scratch.path() / "gone" / "NAMES.FIL").string();
  LoadNamesList(s, ui);
  EXPECT_EQ(ui.messages.back().text, "I cannot open the names file " + s.settings.dataFile + ".");
  EXPECT_TRUE(s.names.records.empty());
}

// ---- Target list files -------------------------------------------------------------------

// A chosen path becomes the current file and its folder the list's directory.
TEST_F(StartupTest, ChosenPathBecomesCurrentFileAndItsFolderTheListDirectory) {
  s.programDir = scratch.path();
  s.settings.SetPathDefaults(scratch.path());
  ChooseListFile(s, ListKind::NatalMidpoints, "/lists/natal/mine.nmp");
  EXPECT_EQ(s.settings.nmpFilename, "/lists/natal/mine.nmp");
  EXPECT_EQ(s.settings.nmpPath, "/lists/natal");
  EXPECT_EQ(ListDialogDirectory(s, ListKind::NatalMidpoints), "/lists/natal");
  // The other lists keep theirs.
  EXPECT_TRUE(s.settings.mpnFilename.empty());
  EXPECT_EQ(s.settings.mpnPath, scratch.path().string());
  s.settings.aptPath.clear();  // an empty folder opens in the program folder
  EXPECT_EQ(ListDialogDirectory(s, ListKind::AuspiciousPoints), scratch.path().string());
}

// A run asks only for the lists switched on that have no file.
TEST_F(StartupTest, RunAsksOnlyForSwitchedOnListsWithoutAFile) {
  RunOptions o;
  o.lunarMansions = o.auspiciousPoints = o.transitMidpointsToNatalMidpoints = true;
  s.settings.aptFilename = scratch.Write("there.apt", "Lucky 015/Moon\r\n").string();
  s.settings.nakFilename = (scratch.path() / "gone.nak").string();
  s.settings.nmpFilename = scratch.path().string();  // a folder is no file
  // Loading order: lunar mansions, then both midpoint lists the midpoint-to-midpoint option needs.
  EXPECT_EQ(MissingListFiles(s, o),
            (std::vector{ListKind::LunarMansions, ListKind::MidpointsToNatal, ListKind::NatalMidpoints}));
  o = RunOptions{};
  EXPECT_TRUE(MissingListFiles(s, o).empty());
}

// ---- "Now" -------------------------------------------------------------------------------

const Atlas& Geonames() {
  static const Atlas atlas = Atlas::Shipped();
  return atlas;
}

UtcInstant At(int year, int month, int day, int hour, int minute) {
  return UtcInstant{date::sys_days{date::year(year) / month / day} + std::chrono::minutes(hour * 60 + minute)};
}

// Longitude of a body at a UT instant straight from libswe, with its own Julian day.
double SweLongitude(int body, int year, int month, int day, int hour, int minute) {
  return test::SweCalc(swe_julday(year, month, day, hour + minute / 60.0, SE_GREG_CAL), body)[0];
}

double ArcMinutesApart(double a, double b) { return std::abs(std::remainder(a - b, 360.0)) * 60; }

// On a first start (OPTIONS.OPT as shipped) in each time zone, at instants either side of New
// York's change to summer time: the home place, the clock and zone "Now" shows, and the transit
// Sun and Moon of that "Now" against libswe for the real instant.
TEST(Now, IsThePresentInstantOnTheHomeClockInEveryTimeZone) {
  struct Case {
    const char* tz;
    int year, month, day, hour, minute;  // the instant, UT
    const char *home, *clock, *zone;     // "lat deg, long deg", "M/D/YYYY h:mm AM", Time Zone field
  } cases[] = {
      {"Asia/Kolkata", 2026, 12, 5, 18, 45, "22 N, 88 E", "12/6/2026 12:15 AM", "-5.5"},
      {":Asia/Calcutta", 2026, 12, 5, 18, 45, "22 N, 88 E", "12/6/2026 12:15 AM", "-5.5"},  // an old name
      {"America/New_York", 2026, 3, 8, 6, 30, "40 N, 74 W", "3/8/2026 1:30 AM", "5"},
      {"America/New_York", 2026, 3, 8, 7, 30, "40 N, 74 W", "3/8/2026 3:30 AM", "4"},
      {"UTC", 2026, 12, 5, 18, 45, "51 N, 0 W", "12/5/2026 6:45 PM", "0"},  // Greenwich stays, on London's clock
      {"UTC", 2026, 7, 1, 12, 0, "51 N, 0 W", "7/1/2026 1:00 PM", "-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tz) + " " + std::to_string(c.hour) + ":" + std::to_string(c.minute));
    ScopedEnv tz;
    tz.Set("TZ", c.tz);
    tzset();
    test::ScratchDir scratch;
    Session s;
    const StartOptions start = test::StartIn(scratch.path() / "home");
    StartSession(s, start);
    const UtcInstant instant = At(c.year, c.month, c.day, c.hour, c.minute);
    const std::optional<Message> seeded = SeedHomePlace(s, Geonames(), SystemZoneName(), instant);
    EXPECT_EQ(seeded.has_value(), std::string(c.tz) != "UTC");
    RecordingInterface ui;
    FillStartPersons(s, ui, [&] { return NowAtHome(s, Geonames(), instant); });
    const PersonFields& now = s.person2;
    EXPECT_EQ(now.latDeg + " " + (now.south ? "S" : "N") + ", " + now.longDeg + " " + (now.east ? "E" : "W"), c.home);
    EXPECT_EQ(now.month + "/" + now.day + "/" + now.year + " " + now.hour + ":" + (now.minute.size() < 2 ? "0" : "") +
                  now.minute + (now.half == HalfDay::PM ? " PM" : " AM"),
              c.clock);
    EXPECT_EQ(now.timeZone, c.zone);
    ASSERT_TRUE(CalculatePlanetaryData(s, ui));
    EXPECT_LE(ArcMinutesApart(s.chart.transitLon[1], SweLongitude(SE_SUN, c.year, c.month, c.day, c.hour, c.minute)), 1);
    EXPECT_LE(ArcMinutesApart(s.chart.transitLon[2], SweLongitude(SE_MOON, c.year, c.month, c.day, c.hour, c.minute)),
              1);

    // Said once: the home place is in OPTIONS.OPT from now on.
    Session again;
    StartSession(again, start);
    EXPECT_EQ(again.optionValues, s.optionValues);
    EXPECT_FALSE(SeedHomePlace(again, Geonames(), SystemZoneName(), instant));
  }
}

// A home place the atlas does not know takes the system's zone; without one, the home's zone of
// OPTIONS.OPT (3 hours west). The clock still shows the real instant, 12:00 UT.
TEST(Now, AHomeAwayFromTheAtlasTakesTheSystemsZone) {
  OptionValues o{};
  o[option::HomeTimeZone] = 3;
  for (auto [system, clock, zone] : {std::tuple{"America/New_York", 800, 4.0}, {"", 900, 3.0}}) {
    const ZoneClock now = HomeClockAt(Atlas(), o, system, At(2026, 7, 1, 12, 0));
    EXPECT_EQ(now.clock.hour * 100 + now.clock.minute, clock) << system;
    EXPECT_EQ(now.hoursWest, zone) << system;
  }
}

}  // namespace
}  // namespace kesmora
