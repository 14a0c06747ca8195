// Longitude, date and path texts, and the number helpers every reader relies on; reading lines
// and writing files: every line end a text editor may leave, and writes that either replace a
// file whole or leave it as it was, saying why; and loading the planet, constant and aspect
// reference files: what they may hold, and the faults that end start-up with a message instead
// of computing every position as 00 Ari 00' 00".
#include "core/test_support.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "core/reference/reference_tables.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kesmora {
namespace {

TEST(FormatLongitude, SignDegreesMinutesSecondsWithCarries) {
  const std::pair<double, const char*> cases[] = {
      {75.5, "15 Gem 30' 00\""}, {0.0, "00 Ari 00' 00\""}, {360.0, "00 Ari 00' 00\""}, {345.25, "15 Pis 15' 00\""},
      {123.456, "03 Leo 27' 22\""}, {29.5 + 59.4 / 3600, "29 Ari 30' 59\""},
      // 59.7" rounds to a full minute: carried, never shown as 60".
      {10.5 + 59.7 / 3600, "10 Ari 31' 00\""}, {29.99999, "00 Tau 00' 00\""}, {239.999999999, "00 Sag 00' 00\""},
      {359.9999, "00 Ari 00' 00\""},
      // Angles outside the circle are brought onto it; no number shows as none.
      {-5.0, "25 Pis 00' 00\""}, {720 + 75.5, "15 Gem 30' 00\""}, {std::nan(""), "-- --- --' --\""},
      {-HUGE_VAL, "-- --- --' --\""}};
  for (auto [longitude, text] : cases) EXPECT_EQ(FormatLongitude(longitude), text) << longitude;
}

TEST(JulianDayToText, OrderZoneRoundingAndMidnight) {
  constexpr double kNoon = 2459281.0;  // 2021-03-07 12:00 UT
  const struct { double jd, zone; DateOrder order; const char *date, *time; } cases[] = {
      {kNoon, 0, DateOrder::MonthDayYear, "03/07/2021", "12:00:00"},
      {kNoon, 0, DateOrder::DayMonthYear, "07/03/2021", "12:00:00"},
      {kNoon, 0, DateOrder::YearMonthDay, "2021/03/07", "12:00:00"},
      {kNoon, 5, DateOrder::MonthDayYear, "03/07/2021", "07:00:00"},  // zones are hours west
      {kNoon, -13, DateOrder::MonthDayYear, "03/08/2021", "01:00:00"},
      {kNoon, LeadingNumber(""), DateOrder::MonthDayYear, "03/07/2021", "12:00:00"},  // an empty zone field
      {2459280.5 + (10 + 30.0 / 60 + 29.6 / 3600) / 24, 0, DateOrder::MonthDayYear, "03/07/2021", "10:30:30"},
      // A millionth of a day (0.0864 s) is added before rounding.
      {2459280.5 + (10 + 30.0 / 60 + 29.45 / 3600) / 24, 0, DateOrder::MonthDayYear, "03/07/2021", "10:30:30"},
      {2459280.5 + (10 + 30.0 / 60 + 29.35 / 3600) / 24, 0, DateOrder::MonthDayYear, "03/07/2021", "10:30:29"},
      // 23:59:59.64 rounds to the midnight of the next date, across months and years.
      {2459273.5 + 23.9999 / 24, 0, DateOrder::MonthDayYear, "03/01/2021", "00:00:00"},
      {2451543.5 + 23.9999 / 24, 0, DateOrder::MonthDayYear, "01/01/2000", "00:00:00"}};
  for (const auto& c : cases) {
    DateTimeText t = JulianDayToText(c.jd, c.zone, c.order);
    EXPECT_EQ(t.date + " " + t.time, std::string(c.date) + " " + c.time) << std::to_string(c.jd) << " zone " << c.zone;
  }
}

TEST(LeadingNumber, ReadsTheLeadingNumberAndInfinityForTooLarge) {
  const struct { const char* text; double value; bool isNumber; } cases[] = {
      {"12abc", 12, true},  {"  -3.5x", -3.5, true}, {"\t+7", 7, true},   {"", 0, false},
      {"abc", 0, false},    {".5", 0.5, true},       {"1e3", 1000, true}, {"1,5", 1, true},
      {"-", 0, false},      {".", 0, false},         {"- 3", 0, false},   {"inf", 0, false},
      {"nan", 0, false},    {"1e400", HUGE_VAL, true}, {"-1e400 deg", -HUGE_VAL, true},
      {"0.1e400", HUGE_VAL, true}, {"1e-400", 0, true}, {"0.000e999", 0, true}};
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value) << c.text;
    EXPECT_EQ(HasLeadingNumber(c.text), c.isNumber) << c.text;
  }
}

TEST(WholeNumber, OnlyDigitsThatFit) {
  for (auto [text, value] : {std::pair{" -7 ", -7LL}, {"+7", 7LL}, {"19490000000", 19490000000LL}})
    EXPECT_EQ(WholeNumber(text), value) << text;
  for (const char* text : {"99999999999999999999", "", "-", "+", "7x", "1e3", "1.5", "- 7", "+-92252", "-+7"})
    EXPECT_EQ(WholeNumber(text), std::nullopt) << text;
  for (auto [value, clamped] : {std::pair{1e300, std::numeric_limits<int>::max()}, {-HUGE_VAL, std::numeric_limits<int>::min()},
                                 {std::nan(""), 0}, {-2.5, -3}})
    EXPECT_EQ(ClampedInt(value), clamped) << value;
}

TEST(ParseStoredDate, ReadsRealDatesAndRefusesTheRest) {
  const struct {
    const char* text;
    DateOrder order;
    int year, month, day;  // year 0 when the text must be refused
  } cases[] = {{"22 Sep 1949", DateOrder::MonthDayYear, 1949, 9, 22}, {"1949 Sep 22", DateOrder::YearMonthDay, 1949, 9, 22},
               {"03/07/2021", DateOrder::MonthDayYear, 2021, 3, 7},   {"03/07/2021", DateOrder::DayMonthYear, 2021, 7, 3},
               {"2024/02/29", DateOrder::YearMonthDay, 2024, 2, 29},  {"29 Feb 2023", DateOrder::MonthDayYear, 0, 0, 0},
               {"0 Jan 2000", DateOrder::MonthDayYear, 0, 0, 0},      {"13/1/2000", DateOrder::MonthDayYear, 0, 0, 0},
               // Numbers the date library would wrap around (a day is 8 bits, a year 16).
               {"257/1/2000", DateOrder::DayMonthYear, 0, 0, 0},      {"22 Sep 67537", DateOrder::MonthDayYear, 0, 0, 0},
               // Too long for any whole number: once an uncaught exception.
               {"22 Sep 19490000000", DateOrder::MonthDayYear, 0, 0, 0},
               {"1/1/99999999999999999999", DateOrder::MonthDayYear, 0, 0, 0}};
  for (const auto& c : cases) {
    std::optional<CivilDate> d = ParseStoredDate(c.text, c.order);  // "/" texts go to ParseDateText
    ASSERT_EQ(d.has_value(), c.year != 0) << c.text;
    if (d) {
      EXPECT_EQ((std::array{d->year, d->month, d->day}), (std::array{c.year, c.month, c.day})) << c.text;
    }
  }
}

TEST(NumberTexts, PatternsPadAndRoundShortestFormsKeepAPoint) {
  const struct { double value; int integerDigits, decimals; const char* text; } cases[] = {
      {95.23, 3, 2, "095.23"}, {-95.23, 3, 2, "-095.23"}, {5.5, 2, 2, "05.50"},  {0.05, 0, 2, ".05"},
      {9.005, 0, 2, "9.01"},   {-2.345, 1, 2, "-2.35"},   {-0.001, 3, 2, "000.00"},
      {-0.16667, 1, 4, "-0.1667"}};
  for (const auto& c : cases) EXPECT_EQ(FixedPattern(c.value, c.integerDigits, c.decimals), c.text) << c.value;
  EXPECT_EQ(NumberText(6.35889), "6.35889");
  EXPECT_EQ(NumberText(-0.0), "0");
  EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
  EXPECT_EQ(ZeroPadded(7, 2), "07");
  EXPECT_EQ(ZeroPadded(-5, 2), "-05");
  // Once a recursion without end: the most negative number has no positive twin.
  EXPECT_EQ(ZeroPadded(std::numeric_limits<long long>::min(), 2), "-9223372036854775808");
}

// ---- Lines and files ---------------------------------------------------------------------

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(SplitLines, CrLfLfAndCrAloneEachEndALine) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\rb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\r\n"), Lines{""});
}

TEST(ValueStream, CrAloneEndsAValue) {
  ValueStream values("a,b\rc\r\r\"d,e\"\r");
  Lines read;
  while (auto v = values.Next()) read.push_back(*v);
  EXPECT_EQ(read, (Lines{"a", "b", "c", "d,e"}));
}

class WriteFileTest : public ::testing::Test {
 protected:
  fs::path File(const std::string& name, const std::string& text) { return dir.Write(name, text); }
  // The folder holds only these names (no temporary file left behind).
  void ExpectOnly(std::vector<std::string> names) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir.path())) found.push_back(e.path().filename().string());
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(found, names);
  }
  test::ScratchDir dir;
};

TEST_F(WriteFileTest, ReplacesTheFileAndKeepsItsPermissions) {
  fs::path file = File("a.txt", "old and longer");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileAtomically(file, "new\r\n"));
  EXPECT_EQ(ReadWholeFile(file), "new\r\n");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ExpectOnly({"a.txt"});
}

TEST_F(WriteFileTest, WritesThroughASymbolicLinkToItsTarget) {
  fs::path target = File("real.ini", "old");
  fs::create_symlink("real.ini", dir.path() / "link.ini");
  ASSERT_TRUE(WriteFileAtomically(dir.path() / "link.ini", "new"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadWholeFile(target), "new");
  ExpectOnly({"link.ini", "real.ini"});
}

// A writer that ended between its two steps leaves its temporary behind; whatever stands
// under that name (here a folder) must not block the next write, which takes a name of its own.
TEST_F(WriteFileTest, ALeftoverTemporaryDoesNotBlockTheNextWrite) {
  fs::path file = File("Kesmora.INI", "old");
  TemporaryFile left = WriteTemporaryBeside(file, "half");
  ASSERT_TRUE(left.result);
  fs::remove(left.path);
  fs::create_directories(left.path);
  EXPECT_TRUE(WriteFileAtomically(file, "new"));
  EXPECT_EQ(ReadWholeFile(file), "new");
}

// A FIFO (as /dev/stdout in a pipe) gets the text, whole or piece by piece; it once was
// replaced by a file.
TEST_F(WriteFileTest, AFifoIsWrittenNotReplaced) {
  const fs::path fifo = dir.path() / "out.csv";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (bool pieces : {false, true}) {
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(pieces ? WriteFileAtomically(fifo, [](const TextSink& out) { out("a,"), out("b\r\n"); })
                       : WriteFileAtomically(fifo, "a,b\r\n"));
    char buffer[16] = {};
    EXPECT_EQ(read(reader, buffer, sizeof buffer), 5) << pieces;
    close(reader);
    EXPECT_EQ(std::string(buffer), "a,b\r\n") << pieces;
    EXPECT_TRUE(fs::is_fifo(fifo));
    ExpectOnly({"out.csv"});
  }
}

TEST_F(WriteFileTest, AFailedWriteKeepsTheOldFileAndNamesTheCause) {
  fs::path file = File("a.csv", "old");
  // The file-size limit makes the write fail as a full disk does, with a cause of its own.
  struct rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  WriteResult result = WriteFileAtomically(file, std::string(1000, 'x'));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, "File too large");
  EXPECT_EQ(WriteFailureText(file, result), "The file " + file.string() + " could not be written: File too large.");
  EXPECT_EQ(ReadWholeFile(file), "old");
  ExpectOnly({"a.csv"});
}

// A text written piece by piece replaces the file once whole; a writer that stops halfway
// (a cancelled export) leaves the old file and no temporary one.
TEST_F(WriteFileTest, APiecewiseWriteThatStopsHalfwayKeepsTheOldFile) {
  fs::path file = File("big.csv", "old");
  const std::string line(1000, 'x');
  auto write = [&](int lines, bool stop) {
    return WriteFileAtomically(file, [&](const TextSink& out) {
      for (int n = 0; n < lines; ++n) out(line);
      if (stop) throw std::runtime_error("stopped");
    });
  };
  EXPECT_THROW(write(200, true), std::runtime_error);
  EXPECT_EQ(ReadWholeFile(file), "old");
  ExpectOnly({"big.csv"});
  ASSERT_TRUE(write(200, false));
  EXPECT_EQ(ReadWholeFile(file)->size(), 200 * line.size());
}

TEST_F(WriteFileTest, AFolderInTheWayIsRefusedWithItsCause) {
  fs::create_directories(dir.path() / "taken");
  WriteResult result = WriteFileAtomically(dir.path() / "taken", "x");
  EXPECT_EQ(result.error, "Is a directory");
  EXPECT_EQ(WriteFileAtomically(dir.path() / "no" / "such" / "folder.txt", "x").error, "No such file or directory");
  ExpectOnly({"taken"});
}

// ---- Reference files ---------------------------------------------------------------------


// A program folder holding the shipped files, any of which a test can replace or remove.
class ReferenceFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { test::CopyShippedData(dir.path()); }
  void Write(const std::string& name, const std::string& contents) { dir.Write(name, contents); }
  ReferenceTables Load() {
    ReferenceTables t;
    LoadReferenceData(t, dir.path());
    return t;
  }
  test::ScratchDir dir;
};

std::string Repeated(const std::string& line, int times) {
  std::string text;
  for (int k = 0; k < times; ++k) text += line;
  return text;
}

// Names written in the Windows code page reach the window and the exports in UTF-8, not as the
// bytes that made the CSV and the calendar unreadable.
TEST_F(ReferenceFilesTest, PlanetNamesInTheWindowsCodePageAreReadAsUtf8) {
  Write("planet_names.txt", "Soleil\r\nLune \xE9toil\xE9""e\r\n");
  EXPECT_EQ(Load().Planet(2).name, "Lune étoilée");
}

TEST_F(ReferenceFilesTest, MissingOrFaultyFilesAreFatalWithTheirOwnMessage) {
  const struct {
    const char* file;
    std::string contents;  // "(missing)": the file is removed
    const char* message;   // empty: any message
  } cases[] = {
      {"planet_constants_and_indexes.txt", "(missing)", "I cannot find your 'planet_constants_and_indexes.txt' file"},
      {"aspect_definitions.txt", "(missing)", "I cannot find your 'aspect_definitions.txt' file"},
      {"planets_used.txt", "(missing)", "You are missing the 'planets_used.txt' file."},
      {"planet_names.txt", "(missing)", "You are missing the 'planet_names.txt' file."},
      {"planet_constants_and_indexes.txt", "", "Your 'planet_constants_and_indexes.txt' file is empty."},
      {"aspect_definitions.txt", "\r\n", "Your 'aspect_definitions.txt' file is empty."},
      {"planet_constants_and_indexes.txt", "\"SE_SUN\",1e300\r\n",
       "Your 'planet_constants_and_indexes.txt' file gives the constant 'SE_SUN' the value '1e300', which is not a "
       "whole number."},
      {"planet_constants_and_indexes.txt", "\"SE_SUN\",4294967296\r\n",
       "Your 'planet_constants_and_indexes.txt' file gives the constant 'SE_SUN' the value '4294967296', which is not "
       "a whole number."},
      {"aspect_definitions.txt", "\"000\",\"1e999\"\r\n",
       "Your 'aspect_definitions.txt' file has the aspect '1e999', whose angle is not from 0 to 360 degrees."},
      {"planet_constants_and_indexes.txt", "\"SE_SUNDAY\",0\r\n",
       "Your 'planets_used.txt' file names the constant 'SE_SUN', which 'planet_constants_and_indexes.txt' does not "
       "hold."},
      {"planets_used.txt", Repeated("g SE_SUN\r\n", 63), ""},  // more than 62 planets
      {"aspect_definitions.txt", Repeated("\"000\"\r\n", 18), ""},  // more than 17 aspects
      {"planet_names.txt", Repeated("Sun\r\n", 53), ""},  // more names than planets
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.contents.substr(0, 30));
    SetUp();
    if (c.contents == "(missing)")
      fs::remove(dir.path() / c.file);
    else
      Write(c.file, c.contents);
    try {
      Load();
      ADD_FAILURE() << "no FatalError";
    } catch (const FatalError& e) {
      if (*c.message) {
        EXPECT_EQ(std::string(e.what()), c.message);
      }
      EXPECT_EQ(e.title, "Fatal error");
    }
  }
  SetUp();
  Write("planets_used.txt", Repeated("g SE_SUN\r\n", 62));
  EXPECT_EQ(Load().NumPlanetsUsed(), 62);
}

}  // namespace
}  // namespace kesmora
