// The names file and the editing rules of the birth-data fields; saving persons into names
// files: the duplicate question, the backup, a save that fails at any step, unreadable files,
// the written formats on any locale, and files in the Windows code page.
#include "core/app/names_commands.h"
#include "core/app/user_interface.h"
#include "core/persons/birth_data.h"
#include "core/persons/names_file.h"
#include "core/persons/names_store.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <locale>
#include <string>
#include <tuple>

namespace kesmora {
namespace {

const std::string kSample = SampleNamesRecord;
const std::string kParis = "Paris,01 Jan 2000,9.05,P,-1,-002.20,48.52,FR,Paris";

// The fields a record fills, in one text: name, date, time, zone, place, side of the day.
std::string FieldsText(const PersonFields& f) {
  const char* half = f.half == HalfDay::AM ? "AM" : f.half == HalfDay::PM ? "PM" : "U";
  return f.name + " " + f.month + "/" + f.day + "/" + f.year + " " + f.hour + ":" + f.minute + " " + half + " zone " +
         f.timeZone + " " + f.longDeg + "." + f.longMin + (f.east ? "E " : "W ") + f.latDeg + "." + f.latMin +
         (f.south ? "S " : "N ") + f.stateCountry + " " + f.city;
}

TEST(NamesFile, RecordsFillTheFieldsWithTheirSignsAndSides) {
  const std::pair<std::string, const char*> cases[] = {
      {kSample, "Example 9/22/1949 10:43 AM zone 6.35889 95.23W 29.45N TX Houston"},
      {kParis, "Paris 1/1/2000 9:5 PM zone -1 2.20E 48.52N FR Paris"},
      {"Near,01 Jan 2000,9.05,a,-1,-000.30,-00.05,,Greenwich", "Near 1/1/2000 9:5 AM zone -1 0.30E 0.5S  Greenwich"},
      {"Odd,01 Jan 2000,9.05,x,-1,0,0,,Greenwich", "Odd 1/1/2000 9:5 U zone -1 0.0W 0.0N  Greenwich"}};
  for (const auto& [record, fields] : cases) {
    NamesList list = ParseNames(record + "\r\n");
    ASSERT_EQ(list.records.size(), 1u) << record;
    PersonFields f;
    ASSERT_TRUE(LoadPersonFromRecord(list.records[0], f, DateOrder::MonthDayYear)) << record;
    EXPECT_EQ(FieldsText(f), fields);
  }
}

TEST(NamesFile, RecordsWithQuotedCommasAndEveryLineEnd) {
  NamesList list = ParseNames("\"Smith, John\",22 Sep 1949,10.43,A,6.35889,95.23,29.45, \"TX, USA\",Houston\r\n" + kParis);
  EXPECT_TRUE(list.unreadable.empty());
  ASSERT_EQ(list.records.size(), 2u);
  EXPECT_EQ(list.records[0].name, "Smith, John");
  EXPECT_EQ(list.records[0].stateCountry, "TX, USA");
  EXPECT_EQ(list.records[1].city, "Paris");

  test::ScratchDir dir;
  NamesList crlf = ReadNamesFile(dir.Write("a.fil", kSample + "\r\n" + kParis + "\r\n"));
  ASSERT_EQ(crlf.records.size(), 2u);
  EXPECT_EQ(crlf.records[1].city, "Paris");  // no line-end character left on the last field
  for (const std::string& text : {kSample + "\n" + kParis, kSample + "\r\r" + kParis + "\r"}) {
    NamesList other = ReadNamesFile(dir.Write("b.fil", text));
    ASSERT_EQ(other.records.size(), 2u);
    EXPECT_TRUE(other.unreadable.empty());
    for (size_t i = 0; i < 2; ++i) EXPECT_EQ(crlf.records[i].city + crlf.records[i].date, other.records[i].city + other.records[i].date);
  }
  EXPECT_FALSE(ReadNamesFile(dir.path() / "missing.fil").opened);
}

// A line is a record: one that holds no record (garbage, no name, too few values) is named and
// left out, and the records after it keep their own fields.
TEST(NamesFile, OneBadLineDoesNotShiftTheRecordsAfterIt) {
  NamesList list = ParseNames(kSample + "\r\nthis is garbage\r\n\r\n," + kSample.substr(8) + "\r\nNew York,2\r\n" +
                              kParis + "\r\nBroken,22 Sep 1949,10.43");
  ASSERT_EQ(list.records.size(), 2u);
  EXPECT_EQ(list.records[1].name + " " + list.records[1].date + " " + list.records[1].city, "Paris 01 Jan 2000 Paris");
  EXPECT_EQ(NamesFileErrorText("/x/N.FIL", list.unreadable),
            "You have an error in the names file /x/N.FIL on lines 2, 4, 5 and 7. " + std::string(NamesFileReadError));
  list = ParseNames(kParis + "\r\n" + kSample + "\r\n" + kSample + "\r\n");
  EXPECT_EQ(list.Find("Example"), 1);  // the first of equal names
  EXPECT_EQ(list.Find("example"), -1);
}

// Every value that can be typed reads back as typed ("Old" Town once came back as Old); values
// that read back before are written as before, byte for byte.
TEST(NamesFile, AValueStartingWithAQuoteKeepsItsTail) {
  const std::pair<std::string, std::string> cases[] = {
      {"Houston", "Houston"},     {"Old \"Town\"", "Old \"Town\""},          {"TX, USA", "\"TX, USA\""},
      {"\"Old\" Town", "\"\"\"Old\"\" Town\""}, {"a,\"b\"", "\"a,\"\"b\"\"\""}, {" lead", "\" lead\""},
      {"trail ", "\"trail \""},  {"\"", "\"\"\"\""},                      {"", ""}};
  const std::string front = kSample.substr(0, kSample.rfind(',') + 1);
  for (const auto& [typed, written] : cases) {
    NamesRecord r = ParseNames(kSample).records.at(0);
    r.city = typed;
    EXPECT_EQ(NamesRecordLine(r), front + written);
    NamesList back = ParseNames(NamesRecordLine(r));
    ASSERT_EQ(back.records.size(), 1u) << written;
    EXPECT_EQ(back.records[0].city, typed);
  }
  // Written bare by an earlier version, it still reads as typed.
  EXPECT_EQ(ParseNamesLine(front + "\"Old\" Town")->city, "\"Old\" Town");
}

// A record loaded into a block is left as it was: only the names table of a session takes the
// year-first date, and it does so itself (StartupTest.LoadingAPersonHoldsItsDateYearFirst).
TEST(LoadPersonFromRecord, LoadingLeavesTheRecordAsItWas) {
  NamesRecord r = ParseNames(kSample).records.at(0);
  r.date = "5 Sep 1949";
  PersonFields f;
  ASSERT_TRUE(LoadPersonFromRecord(r, f, DateOrder::YearMonthDay));
  EXPECT_EQ(r.date, "5 Sep 1949");
  EXPECT_EQ(f.month + "/" + f.day + "/" + f.year, "9/5/1949");
  r.date = "1949 Sep 05";  // already year first
  ASSERT_TRUE(LoadPersonFromRecord(r, f, DateOrder::YearMonthDay));
  EXPECT_EQ(f.month + "/" + f.day + "/" + f.year, "9/5/1949");
  NamesRecord other = ParseNames(kSample).records.at(0);
  other.time = "25.00";
  ASSERT_TRUE(LoadPersonFromRecord(other, f, DateOrder::DayMonthYear));
  EXPECT_EQ(f.hour, "25");  // not 1 PM: the input check refuses it, naming the hour
}

TEST(StoredDateInOrder, OnlyTheYearFirstOrderTurnsADayFirstDate) {
  const struct { const char* date; DateOrder order; const char* held; } cases[] = {
      {"5 Sep 1949", DateOrder::YearMonthDay, "1949 Sep 05"},
      {"22 Sep 1949", DateOrder::YearMonthDay, "1949 Sep 22"},
      {"1949 Sep 05", DateOrder::YearMonthDay, "1949 Sep 05"},
      {"22 Sep 1949", DateOrder::DayMonthYear, "22 Sep 1949"},
      {"22 Sep 1949", DateOrder::MonthDayYear, "22 Sep 1949"}};
  for (const auto& c : cases) EXPECT_EQ(StoredDateInOrder(c.date, c.order), c.held) << c.date;
}

// Each of these once crashed the program or computed a chart of 00 Ari 00' 00" (the date
// texts themselves are tested with ParseStoredDate).
TEST(LoadPersonFromRecord, AnUnreadableFieldFailsNamingItAfterFillingTheName) {
  using R = NamesRecord;
  const struct {
    std::function<void(NamesRecord&)> change;
    DateOrder order;
    const char* problem;
  } cases[] = {{[](R& r) { r.date = "31 Feb 1949"; }, DateOrder::MonthDayYear, "date '31 Feb 1949'"},
               {[](R& r) { r.date = "22 Sep 19490000000"; }, DateOrder::MonthDayYear, "date '22 Sep 19490000000'"},
               {[](R& r) { r.date = "1e300 Sep 1949"; }, DateOrder::YearMonthDay, "date '1e300 Sep 1949'"},
               {[](R& r) { r.time = "1e300"; }, DateOrder::MonthDayYear, "time '1e300'"},
               {[](R& r) { r.timeZone = "1e400"; }, DateOrder::MonthDayYear, "time zone '1e400'"},
               {[](R& r) { r.longitude = "1e300"; }, DateOrder::MonthDayYear, "longitude '1e300'"},
               {[](R& r) { r.latitude = "-1e300"; }, DateOrder::MonthDayYear, "latitude '-1e300'"}};
  for (const auto& c : cases) {
    NamesRecord r = ParseNames(kSample).records.at(0);
    c.change(r);
    PersonFields f;
    f.city = "unchanged";
    std::string problem;
    EXPECT_FALSE(LoadPersonFromRecord(r, f, c.order, &problem));
    EXPECT_EQ(problem, c.problem);
    EXPECT_EQ(f.name + " " + f.city, "Example unchanged") << c.problem;
  }
}

TEST(HourRule, ZeroBecomesTwelveAndAfternoonBecomesPm) {
  const struct { const char *text, *result; bool pm; } cases[] = {
      {"15", "3", true},   {"0", "12", false},  {"13", "1", true}, {"12", "12", false}, {"23", "11", true},
      // No hour of the day: left for the input check.
      {"24", "24", false}, {"25", "25", false}, {"", "", false}, {"abc", "abc", false}};
  for (const auto& c : cases) {
    bool pm = false;
    EXPECT_EQ(ApplyHourRule(c.text, pm), c.result) << c.text;
    EXPECT_EQ(pm, c.pm) << c.text;
  }
  bool pm = true;  // never cleared
  EXPECT_EQ(ApplyHourRule("0", pm), "12");
  EXPECT_TRUE(pm);
}

TEST(TimeZone, LocalMeanTimeMinusOneOnceAndTheSignOfTheSide) {
  PersonFields f;
  f.longDeg = "2", f.longMin = "30", f.east = true;
  AdjustTimeZone(f);
  EXPECT_EQ(f.timeZone, "-0.1667");  // local mean time, east negative
  f.longDeg = "95", f.longMin = "23", f.east = false;
  AdjustTimeZone(f);
  SubtractOneHour(f);
  SubtractOneHour(f);  // once until the zone is adjusted again
  EXPECT_EQ(f.timeZone, "5.3589");
  EXPECT_FALSE(f.minusOneEnabled);
  f.timeZone = "5";
  ChooseEast(f, true);
  ChooseEast(f, true);
  EXPECT_EQ(f.timeZone, "-5");
  ChooseEast(f, false);
  EXPECT_EQ(f.timeZone, "5");
  f.hour = "7", f.minute = "15";
  ChooseUnknown(f);
  EXPECT_EQ(f.hour + ":" + f.minute, "12:0");
}

TEST(StepMonth, YearFollowsTheMonthAndTheDayFitsIt) {
  const struct {
    const char *month, *year, *day;
    int step;
    const char *newMonth, *newYear, *newDay;
    bool stepped;
  } cases[] = {{"1", "2000", "31", -1, "12", "1999", "31", true},  {"12", "2000", "31", 1, "1", "2001", "31", true},
               {"1", "2027", "31", 1, "2", "2027", "28", true},    {"3", "2000", "30", -1, "2", "2000", "29", true},
               {"1", "1900", "29", 1, "2", "1900", "28", true},    {"5", "2026", "31", -1, "4", "2026", "30", true},
               {"1", "2027", "15", 1, "2", "2027", "15", true},    {"1", "2027", "", 1, "2", "2027", "", true},
               {"1", "-500", "31", -1, "12", "-501", "31", true},  {"x", "y", "31", 1, "1", "0", "31", true},
               {"12", "32767", "31", 1, "1", "32768", "31", true},
               {"1", "99999999999999999999", "31", 1, "1", "99999999999999999999", "31", false},
               {"1e300", "2000", "31", 1, "1e300", "2000", "31", false}};
  for (const auto& c : cases) {
    PersonFields t;
    t.month = c.month, t.year = c.year, t.day = c.day;
    EXPECT_EQ(StepMonth(t, c.step), c.stepped) << c.month << "/" << c.day << "/" << c.year;
    EXPECT_EQ(t.month + "/" + t.day + "/" + t.year, std::string(c.newMonth) + "/" + c.newDay + "/" + c.newYear);
  }
}

// ---- Saving ------------------------------------------------------------------------------

namespace fs = std::filesystem;
using test::ScratchDir;

std::string Bytes(const fs::path& file) { return ReadWholeFile(file).value_or("<missing>"); }

NamesRecord Record(const std::string& name, const std::string& city = "Lima") {
  return {name, "01 Feb 2000", "3.04", "P", "5", "077.02", "-12.03", "Peru", city};
}

std::string Line(const std::string& name, const std::string& city) {
  return NamesRecordLine(Record(name, city)) + "\r\n";
}

struct DuplicateCase {
  const char* label;
  std::string stored;              // "" with `exists` false: there is no file yet
  bool exists;
  std::vector<DuplicateChoice> answers;
  size_t questions;
  std::string expected;            // the file after the save
  bool saved;
};

class DuplicateTest : public ::testing::TestWithParam<DuplicateCase> {};

TEST_P(DuplicateTest, KeepsDropsOrLeavesTheStoredRecords) {
  const DuplicateCase& c = GetParam();
  ScratchDir dir;
  const fs::path file = dir.path() / "NAMES.FIL";
  if (c.exists) dir.Write("NAMES.FIL", c.stored);
  size_t asked = 0;
  auto ask = [&](const NamesRecord& stored) {
    EXPECT_EQ(stored.name.size(), 1u) << "the stored record is the one asked about";
    return c.answers.at(asked++);
  };
  NamesFileSteps steps;
  const SaveOutcome outcome = SaveRecordToNamesFile(file, Record("a", "New"), ask, steps);
  EXPECT_EQ(asked, c.questions);
  EXPECT_EQ(static_cast<bool>(outcome), c.saved);
  EXPECT_EQ(Bytes(file), c.exists || c.saved ? c.expected : "<missing>");
  // The backup holds the file as it was; nothing is backed up when nothing is written.
  const fs::path backup = dir.path() / "NAMES.old";
  EXPECT_EQ(Bytes(backup), c.saved && c.exists && !c.stored.empty() ? c.stored : "<missing>");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}),
            (c.exists || c.saved) + (fs::exists(backup) ? 1 : 0))
      << "no temporary file is left";
}

const std::string kA = Line("A", "Old"), kB = Line("B", "Other"), kA2 = Line("a", "Second"), kNew = Line("a", "New");
using DC = DuplicateChoice;

INSTANTIATE_TEST_SUITE_P(
    Cases, DuplicateTest,
    ::testing::Values(
        DuplicateCase{"ReplaceMovesTheRecordToTheEnd", kA + kB, true, {DC::Replace}, 1, kB + kNew, true},
        DuplicateCase{"AppendKeepsTheOldRecord", kA + kB, true, {DC::Append}, 1, kA + kB + kNew, true},
        DuplicateCase{"ExitLeavesTheFile", kA + kB, true, {DC::Exit}, 1, kA + kB, false},
        DuplicateCase{"TwoDuplicatesReplaceOneAppendOne", kA + kB + kA2, true, {DC::Replace, DC::Append}, 2,
                      kB + kA2 + kNew, true},
        DuplicateCase{"ExitAtTheSecondDuplicateLeavesTheFile", kA + kA2, true, {DC::Replace, DC::Exit}, 2, kA + kA2,
                      false},
        DuplicateCase{"OtherNamesAreNotAsked", kB, true, {}, 0, kB + kNew, true},
        DuplicateCase{"LfFileIsWrittenWithCrLf", "B,01 Feb 2000,3.04,P,5,077.02,-12.03,Peru,Other\n", true, {}, 0,
                      kB + kNew, true},
        DuplicateCase{"NoFileYet", "", false, {}, 0, kNew, true}),
    [](const auto& info) { return std::string(info.param.label); });

// Fails one step of a save, as a full disk or a read-only folder would.
class FailingSteps : public NamesFileSteps {
 public:
  explicit FailingSteps(int step) : step_(step) {}
  TemporaryFile WriteTemporary(const fs::path& f, std::string_view text) override {
    if (step_ == 0) return {{}, {"No space left on device"}};
    return NamesFileSteps::WriteTemporary(f, text);
  }
  WriteResult WriteBackup(const fs::path& b, std::string_view text) override {
    return step_ == 1 ? WriteResult{"Permission denied"} : NamesFileSteps::WriteBackup(b, text);
  }
  WriteResult Replace(const fs::path& t, const fs::path& f) override {
    return step_ == 2 ? WriteResult{"Input/output error"} : NamesFileSteps::Replace(t, f);
  }

 private:
  int step_;
};

TEST(NamesSave, AFailedStepLeavesTheFileAsItWasAndSaysSo) {
  for (int step : {0, 1, 2}) {
    SCOPED_TRACE(step);
    ScratchDir dir;
    const fs::path file = dir.Write("NAMES.FIL", kA + kB);
    FailingSteps steps(step);
    const SaveOutcome outcome =
        SaveRecordToNamesFile(file, Record("C"), [](const NamesRecord&) { return DC::Append; }, steps);
    EXPECT_EQ(outcome.kind, SaveOutcome::Kind::Failed);
    EXPECT_NE(outcome.message.find("is unchanged"), std::string::npos) << outcome.message;
    EXPECT_EQ(Bytes(file), kA + kB);
    for (const auto& entry : fs::directory_iterator(dir.path()))
      EXPECT_TRUE(entry.path() == file || entry.path().filename() == "NAMES.old") << entry.path();
  }
}

// Lines that hold no record stay where they are for the user to mend; they once stopped every save.
TEST(NamesSave, LinesWithoutARecordAreKeptAndStopNoSave) {
  ScratchDir dir;
  const std::string bad = "Short,01 Feb 2000\r\n,,,,,,,,\r\n";
  const fs::path file = dir.Write("NAMES.FIL", kA + bad + kB);
  NamesFileSteps steps;
  ASSERT_TRUE(SaveRecordToNamesFile(file, Record("B"), [](const NamesRecord&) { return DC::Replace; }, steps));
  EXPECT_EQ(Bytes(file), kA + bad + Line("B", "Lima"));
}

TEST(NamesSave, WindowsCodePageFileIsConvertedWholeAndItsBackupKeepsTheBytes) {
  ScratchDir dir;
  // Zoë, Muñoz and Bjørn as a names file of the original platform writes them.
  const std::string cp1252 = "Zo\xEB,01 Jan 1980,9.05,A,5,074.00,40.43,NY,New York\r\n"
                             "Mu\xF1oz,02 Jan 1980,9.05,A,5,074.00,40.43,NY,New York\r\n"
                             "Bj\xF8rn,03 Jan 1980,9.05,A,-1,-010.45,59.55,Norway,Oslo\r\n";
  const fs::path file = dir.Write("OLD.FIL", cp1252);
  const NamesList before = ReadNamesFile(file);
  EXPECT_TRUE(before.windows1252);
  ASSERT_EQ(before.records.size(), 3u);
  EXPECT_EQ(before.records[0].name, "Zoë");
  EXPECT_EQ(before.Find("Muñoz"), 1);
  EXPECT_EQ(before.Find("Bjørn"), 2);

  NamesFileSteps steps;
  for (const char* name : {"Şahin", "山田太郎"}) {
    const SaveOutcome outcome = SaveRecordToNamesFile(file, Record(name), [](const NamesRecord&) { return DC::Exit; }, steps);
    ASSERT_TRUE(outcome) << outcome.message;
    EXPECT_EQ(outcome.convertedToUtf8, std::string(name) == "Şahin");
    if (outcome.convertedToUtf8) {
      EXPECT_EQ(Bytes(dir.path() / "OLD.old"), cp1252);
    }
  }
  EXPECT_TRUE(IsValidUtf8(Bytes(file)));
  const NamesList after = ReadNamesFile(file);
  EXPECT_FALSE(after.windows1252);
  std::vector<std::string> names;
  for (const NamesRecord& r : after.records) names.push_back(r.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Zoë", "Muñoz", "Bjørn", "Şahin", "山田太郎"}));
}

TEST(NamesSave, DuplicatesAreFoundIgnoringCaseInAnyScript) {
  ScratchDir dir;
  const fs::path file = dir.Write("N.FIL", Line("ZOË", "Old") + Line("ŞAHİN", "Old"));
  NamesFileSteps steps;
  std::vector<std::string> asked;
  auto ask = [&](const NamesRecord& r) { asked.push_back(r.name); return DC::Replace; };
  ASSERT_TRUE(SaveRecordToNamesFile(file, Record("zoë"), ask, steps));
  EXPECT_EQ(asked, std::vector<std::string>{"ZOË"});
}

// Writes records as the Save buttons do, with the program's locale German (decimal comma,
// "Sept." for September).
class GermanLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 missing (scripts/setup.sh makes it)";
    std::locale::global(std::locale("de_DE.UTF-8"));
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
  }
};

TEST_F(GermanLocale, RecordsHavePointsAndEnglishMonths) {
  struct Case { PersonFields fields; const char* line; } cases[] = {
      {{"Example", "9", "22", "1949", "10", "43", HalfDay::AM, "6.35889", "95", "23", false, "29", "45", false, "TX",
        "Houston"},
       "Example,22 Sep 1949,10.43,A,6.35889,095.23,29.45,TX,Houston"},
      {{"East", "3", "7", "2001", "9", "5", HalfDay::PM, "-5", "2", "3", true, "5", "7", true, "", "Nowhere"},
       "East,07 Mar 2001,9.05,P,-5,-002.03,-05.07,,Nowhere"},
      {{"Noon", "12", "31", "-44", "12", "0", HalfDay::Unknown, "0", "151", "12", true, "33", "52", true, "NSW",
        "Sydney"},
       "Noon,31 Dec -0044,12.00,U,0,-151.12,-33.52,NSW,Sydney"},
  };
  for (const Case& c : cases) EXPECT_EQ(NamesRecordLine(RecordFromFields(c.fields)), c.line);
}

TEST(NamesSave, ABlockThatCannotBeStoredIsRefusedWithItsMessage) {
  Session s;
  s.person1 = {"Ann, Smith", "9", "22", "1949", "10", "43", HalfDay::AM, "6", "95", "23", false, "29", "45", false, "",
               ""};
  RecordingInterface ui;
  EXPECT_FALSE(RecordToSave(s, Person::One, ui));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, CommaInNameWarning);

  // No name (a record without one hid the records after it), or a text of two lines.
  for (auto [field, text, says] : {std::tuple{&PersonFields::name, "", "Name: empty"}, {&PersonFields::name, " ", "Name: empty"},
                                   {&PersonFields::city, "Old\nTown", "City: Old\nTown (more than one line)"}}) {
    s.person2 = s.person1;
    s.person2.name = "Ann";
    s.person2.*field = text;
    RecordingInterface refused;
    EXPECT_FALSE(RecordToSave(s, Person::Two, refused));
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].title + " " + refused.messages[0].text,
              std::string("Warning! ") + DiurnalInputError + "\n" + says);
  }
  for (std::string PersonFields::*field : {&PersonFields::hour, &PersonFields::minute, &PersonFields::longDeg,
                                           &PersonFields::latMin, &PersonFields::timeZone}) {
    s.person2 = s.person1;
    s.person2.name = "Ann";
    s.person2.*field = "ten";
    RecordingInterface refused;
    EXPECT_FALSE(RecordToSave(s, Person::Two, refused));
    ASSERT_FALSE(refused.messages.empty());
    EXPECT_NE(refused.messages[0].text.find("ten (not a number)"), std::string::npos) << refused.messages[0].text;
  }
}

TEST(NameEditSave, UneditedTextIsWrittenBackByteForByte) {
  ScratchDir dir;
  const std::string oddBytes = "Zo\xEB,01 Jan 1980,9.05,A,5,074.00,40.43,NY,New York\rB,x\n\n";
  const fs::path file = dir.Write("E.FIL", oddBytes);
  NamesFileText shown = ReadNamesFileForEditing(file);
  ASSERT_TRUE(shown.read);
  EXPECT_EQ(shown.text, "Zoë,01 Jan 1980,9.05,A,5,074.00,40.43,NY,New York\nB,x\n\n");
  RecordingInterface ui;
  ASSERT_TRUE(SaveEditedNamesFile(file, shown, shown.text, ui));
  EXPECT_EQ(Bytes(file), oddBytes);
  ASSERT_TRUE(SaveEditedNamesFile(file, shown, "Zoë,x\nB,y", ui));
  EXPECT_EQ(Bytes(file), "Zoë,x\r\nB,y\r\n");
}

}  // namespace
}  // namespace kesmora
