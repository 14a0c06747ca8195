// The names file and the editing rules of the birth-data fields.
#include "core/test_support.h"
#include "core/persons/birth_data.h"
#include "core/persons/names_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

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
  const struct {
    const char* date;
    DateOrder order;
    const char* held;
  } cases[] = {{"5 Sep 1949", DateOrder::YearMonthDay, "1949 Sep 05"},
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
  const struct {
    const char *text, *result;
    bool pm;
  } cases[] = {{"15", "3", true},   {"0", "12", false},  {"13", "1", true}, {"12", "12", false}, {"23", "11", true},
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

}  // namespace
}  // namespace kesmora
