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

// ---- Reading the names file --------------------------------------------------------------

TEST(NamesFile, SampleRecordReadsBackAsStored) {
  NamesList list = ParseNames(kSample + "\r\n");
  ASSERT_EQ(list.records.size(), 1u);
  EXPECT_FALSE(list.readError);
  NamesRecord r = list.records[0];
  PersonFields f;
  ASSERT_TRUE(LoadPersonFromRecord(r, f, DateOrder::MonthDayYear));
  EXPECT_EQ(f.name, "Example");
  EXPECT_EQ(f.month, "9");
  EXPECT_EQ(f.day, "22");
  EXPECT_EQ(f.year, "1949");
  EXPECT_EQ(f.hour, "10");
  EXPECT_EQ(f.minute, "43");
  EXPECT_EQ(f.half, HalfDay::AM);
  EXPECT_EQ(f.timeZone, "6.35889");
  EXPECT_EQ(f.longDeg, "95");
  EXPECT_EQ(f.longMin, "23");
  EXPECT_FALSE(f.east);
  EXPECT_EQ(f.latDeg, "29");
  EXPECT_EQ(f.latMin, "45");
  EXPECT_FALSE(f.south);
  EXPECT_EQ(f.stateCountry, "TX");
  EXPECT_EQ(f.city, "Houston");
}

TEST(NamesFile, EastSouthAndShortTimes) {
  NamesList list = ParseNames(kParis + "\r\n");
  ASSERT_EQ(list.records.size(), 1u);
  PersonFields f;
  ASSERT_TRUE(LoadPersonFromRecord(list.records[0], f, DateOrder::MonthDayYear));
  EXPECT_EQ(f.hour, "9");
  EXPECT_EQ(f.minute, "5");
  EXPECT_EQ(f.half, HalfDay::PM);
  EXPECT_EQ(f.timeZone, "-1");
  EXPECT_EQ(f.longDeg, "2");
  EXPECT_EQ(f.longMin, "20");
  EXPECT_TRUE(f.east);
  EXPECT_EQ(f.latMin, "52");

  NamesRecord nearGreenwich = list.records[0];
  nearGreenwich.longitude = "-000.30";  // 0 deg 30 min East
  nearGreenwich.latitude = "-00.05";
  ASSERT_TRUE(LoadPersonFromRecord(nearGreenwich, f, DateOrder::MonthDayYear));
  EXPECT_EQ(f.longDeg, "0");
  EXPECT_EQ(f.longMin, "30");
  EXPECT_TRUE(f.east);
  EXPECT_EQ(f.latDeg, "0");
  EXPECT_EQ(f.latMin, "5");
  EXPECT_TRUE(f.south);
}

TEST(NamesFile, HalfOfDayLetterIsCaseInsensitiveAndOtherTextIsUnknown) {
  for (auto [letter, half] : {std::pair{"a", HalfDay::AM}, std::pair{"p", HalfDay::PM},
                              std::pair{"U", HalfDay::Unknown}, std::pair{"x", HalfDay::Unknown}}) {
    NamesRecord r = ParseNames(kSample).records.at(0);
    r.amPm = letter;
    PersonFields f;
    ASSERT_TRUE(LoadPersonFromRecord(r, f, DateOrder::MonthDayYear));
    EXPECT_EQ(f.half, half) << letter;
  }
}

TEST(NamesFile, EmptyNameEndsTheList) {
  NamesList list = ParseNames(kSample + "\r\n," + kSample.substr(8) + "\r\n" + kParis + "\r\n");
  ASSERT_EQ(list.records.size(), 1u);
  EXPECT_EQ(list.records[0].name, "Example");
  EXPECT_FALSE(list.readError);
}

TEST(NamesFile, ShortLastRecordIsAReadErrorThatKeepsEarlierRecords) {
  NamesList list = ParseNames(kSample + "\r\n" + kParis + "\r\nBroken,22 Sep 1949,10.43\r\n");
  EXPECT_TRUE(list.readError);
  ASSERT_EQ(list.records.size(), 2u);
  EXPECT_EQ(list.records[1].name, "Paris");
}

TEST(NamesFile, RecordMayRunAcrossLines) {
  NamesList list = ParseNames("Example,22 Sep 1949,10.43,A\r\n6.35889,95.23,29.45,TX,Houston\r\n" + kParis);
  EXPECT_FALSE(list.readError);
  ASSERT_EQ(list.records.size(), 2u);
  EXPECT_EQ(list.records[0].timeZone, "6.35889");
  EXPECT_EQ(list.records[0].city, "Houston");
  EXPECT_EQ(list.records[1].name, "Paris");
}

TEST(NamesFile, QuotedFieldsMayHoldCommas) {
  NamesList list = ParseNames("\"Smith, John\",22 Sep 1949,10.43,A,6.35889,95.23,29.45, \"TX, USA\",Houston\r\n");
  ASSERT_EQ(list.records.size(), 1u);
  EXPECT_EQ(list.records[0].name, "Smith, John");
  EXPECT_EQ(list.records[0].stateCountry, "TX, USA");
  EXPECT_EQ(list.records[0].city, "Houston");
}

TEST(NamesFile, LfCrLfAndCrFilesReadTheSame) {
  test::ScratchDir dir;
  NamesList crlf = ReadNamesFile(dir.Write("a.fil", kSample + "\r\n" + kParis + "\r\n"));
  NamesList lf = ReadNamesFile(dir.Write("b.fil", kSample + "\n" + kParis));
  NamesList cr = ReadNamesFile(dir.Write("c.fil", kSample + "\r\r" + kParis + "\r"));  // an old Mac editor
  ASSERT_EQ(crlf.records.size(), 2u);
  for (const NamesList* other : {&lf, &cr}) {
    ASSERT_EQ(other->records.size(), 2u);
    EXPECT_FALSE(other->readError);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(crlf.records[i].name, other->records[i].name);
      EXPECT_EQ(crlf.records[i].city, other->records[i].city);
      EXPECT_EQ(crlf.records[i].date, other->records[i].date);
    }
  }
  EXPECT_EQ(crlf.records[1].city, "Paris");  // no line-end character left on the last field
  EXPECT_TRUE(crlf.opened);
  EXPECT_FALSE(ReadNamesFile(dir.path() / "missing.fil").opened);
}

TEST(NamesFile, ShippedNamesFileHoldsTheSample) {
  NamesList list = ReadNamesFile(test::ShippedDataDir() / "NAMES.FIL");
  ASSERT_EQ(list.records.size(), 1u);
  EXPECT_EQ(list.records[0].name, "Example");
}

TEST(NamesFile, FindReturnsTheFirstOfEqualNamesAndIsCaseSensitive) {
  NamesList list = ParseNames(kParis + "\r\n" + kSample + "\r\n" + kSample + "\r\n");
  EXPECT_EQ(list.Find("Example"), 1);
  EXPECT_EQ(list.Find("example"), -1);
  EXPECT_EQ(list.Find(""), -1);
}

TEST(NamesFile, LabelIsTheUpperCasedFileName) {
  EXPECT_EQ(NamesFileLabel("/home/user/kesmora/names.fil"), "NAMES.FIL");
  EXPECT_EQ(NamesFileLabel("C:\\KES\\Clients.fil"), "CLIENTS.FIL");
}

TEST(LoadPersonFromRecord, YearFirstOrderRewritesTheStoredDate) {
  NamesRecord r = ParseNames(kSample).records.at(0);
  r.date = "5 Sep 1949";
  PersonFields f;
  ASSERT_TRUE(LoadPersonFromRecord(r, f, DateOrder::YearMonthDay));
  EXPECT_EQ(r.date, "1949 Sep 05");
  EXPECT_EQ(f.day, "5");
  EXPECT_EQ(f.month, "9");
  EXPECT_EQ(f.year, "1949");
  ASSERT_TRUE(LoadPersonFromRecord(r, f, DateOrder::YearMonthDay));  // already year first
  EXPECT_EQ(r.date, "1949 Sep 05");

  NamesRecord other = ParseNames(kSample).records.at(0);
  ASSERT_TRUE(LoadPersonFromRecord(other, f, DateOrder::DayMonthYear));
  EXPECT_EQ(other.date, "22 Sep 1949");  // other orders leave it
}

struct UnreadableCase {
  const char* name;
  std::function<void(NamesRecord&)> change;
  DateOrder order;
  const char* problem;
};

class UnreadableRecordTest : public ::testing::TestWithParam<UnreadableCase> {};

// Each of these once crashed the program or computed a chart of 00 Ari 00' 00" (the date
// texts themselves are tested with ParseStoredDate).
TEST_P(UnreadableRecordTest, FailsNamingTheFieldAfterFillingTheName) {
  NamesRecord r = ParseNames(kSample).records.at(0);
  GetParam().change(r);
  PersonFields f;
  f.city = "unchanged";
  std::string problem;
  EXPECT_FALSE(LoadPersonFromRecord(r, f, GetParam().order, &problem));
  EXPECT_EQ(problem, GetParam().problem);
  EXPECT_EQ(f.name, "Example");
  EXPECT_EQ(f.city, "unchanged");
}

using R = NamesRecord;
INSTANTIATE_TEST_SUITE_P(
    Records, UnreadableRecordTest,
    ::testing::Values(
        UnreadableCase{"NoSuchDay", [](R& r) { r.date = "31 Feb 1949"; }, DateOrder::MonthDayYear, "date '31 Feb 1949'"},
        UnreadableCase{"LongYearDigits", [](R& r) { r.date = "22 Sep 19490000000"; }, DateOrder::MonthDayYear,
                       "date '22 Sep 19490000000'"},
        UnreadableCase{"HugeDayYearFirst", [](R& r) { r.date = "1e300 Sep 1949"; }, DateOrder::YearMonthDay,
                       "date '1e300 Sep 1949'"},
        UnreadableCase{"HugeTime", [](R& r) { r.time = "1e300"; }, DateOrder::MonthDayYear, "time '1e300'"},
        UnreadableCase{"OverflowingZone", [](R& r) { r.timeZone = "1e400"; }, DateOrder::MonthDayYear,
                       "time zone '1e400'"},
        UnreadableCase{"HugeLongitude", [](R& r) { r.longitude = "1e300"; }, DateOrder::MonthDayYear,
                       "longitude '1e300'"},
        UnreadableCase{"HugeLatitude", [](R& r) { r.latitude = "-1e300"; }, DateOrder::MonthDayYear,
                       "latitude '-1e300'"}),
    [](const ::testing::TestParamInfo<UnreadableCase>& info) { return std::string(info.param.name); });

TEST(LoadPersonFromRecord, HourBeyondTheDayIsLeftForTheChecks) {
  NamesRecord r = ParseNames(kSample).records.at(0);
  r.time = "25.00";
  PersonFields f;
  ASSERT_TRUE(LoadPersonFromRecord(r, f, DateOrder::MonthDayYear));
  EXPECT_EQ(f.hour, "25");  // not 1 PM: the input check refuses it, naming the hour
}

// ---- Birth-data fields -------------------------------------------------------------------

struct HourRuleCase {
  const char* text;
  const char* result;
  bool pm;
};

class HourRuleTest : public ::testing::TestWithParam<HourRuleCase> {};

TEST_P(HourRuleTest, ZeroBecomesTwelveAndAfternoonBecomesPm) {
  bool pm = false;
  EXPECT_EQ(ApplyHourRule(GetParam().text, pm), GetParam().result);
  EXPECT_EQ(pm, GetParam().pm);
}

INSTANTIATE_TEST_SUITE_P(Texts, HourRuleTest,
                         ::testing::Values(HourRuleCase{"15", "3", true}, HourRuleCase{"0", "12", false},
                                           HourRuleCase{"13", "1", true}, HourRuleCase{"12", "12", false},
                                           HourRuleCase{"1", "1", false}, HourRuleCase{"23", "11", true},
                                           // No hour of the day: left for the input check.
                                           HourRuleCase{"24", "24", false}, HourRuleCase{"25", "25", false},
                                           HourRuleCase{"", "", false}, HourRuleCase{"abc", "abc", false}));

TEST(HourRule, NeverClearsPm) {
  bool pm = true;
  EXPECT_EQ(ApplyHourRule("0", pm), "12");
  EXPECT_TRUE(pm);
}

struct NowCase {
  int hour, minute;
  const char* hourText;
  const char* minuteText;
  HalfDay half;
};

class FillWithNowTest : public ::testing::TestWithParam<NowCase> {};

TEST_P(FillWithNowTest, ShowsTwelveHourClock) {
  OptionValues o{};
  PersonFields f;
  FillWithNow(f, Person::One, {2021, 3, 7, GetParam().hour, GetParam().minute}, o);
  EXPECT_EQ(f.hour, GetParam().hourText);
  EXPECT_EQ(f.minute, GetParam().minuteText);
  EXPECT_EQ(f.half, GetParam().half);
}

INSTANTIATE_TEST_SUITE_P(Times, FillWithNowTest,
                         ::testing::Values(NowCase{0, 30, "12", "30", HalfDay::AM},
                                           NowCase{12, 5, "12", "5", HalfDay::PM},
                                           NowCase{18, 45, "6", "45", HalfDay::PM},
                                           NowCase{9, 0, "9", "0", HalfDay::AM}));

TEST(FillWithNow, DateNamesAndHomePlaceFromOptions) {
  OptionValues o{};
  o[option::HomeTimeZone] = 6.35889f;
  o[option::HomeLongDeg] = 95, o[option::HomeLongMin] = 23, o[option::HomeEastWest] = 1;
  o[option::HomeLatDeg] = 29, o[option::HomeLatMin] = 45, o[option::HomeNorthSouth] = 0;
  PersonFields one, two;
  one.city = "Houston";
  FillWithNow(one, Person::One, {2021, 3, 7, 9, 5}, o);
  FillWithNow(two, Person::Two, {2021, 12, 31, 9, 5}, o);
  EXPECT_EQ(one.name, "Now");
  EXPECT_EQ(two.name, "Transits - Now");
  EXPECT_EQ(one.month, "3");
  EXPECT_EQ(one.day, "7");
  EXPECT_EQ(one.year, "2021");
  EXPECT_EQ(two.month, "12");
  EXPECT_EQ(one.timeZone, "6.35889");
  EXPECT_EQ(one.longDeg, "95");
  EXPECT_EQ(one.longMin, "23");
  EXPECT_TRUE(one.east);
  EXPECT_EQ(one.latDeg, "29");
  EXPECT_FALSE(one.south);
  EXPECT_EQ(one.city, "Houston");
}

struct AdjustCase {
  const char* deg;
  const char* min;
  bool east;
  const char* zone;
};

class AdjustTimeZoneTest : public ::testing::TestWithParam<AdjustCase> {};

TEST_P(AdjustTimeZoneTest, LocalMeanTimeWithFourDecimals) {
  PersonFields f;
  f.longDeg = GetParam().deg, f.longMin = GetParam().min, f.east = GetParam().east;
  f.minusOneEnabled = false;
  AdjustTimeZone(f);
  EXPECT_EQ(f.timeZone, GetParam().zone);
  EXPECT_TRUE(f.minusOneEnabled);
}

INSTANTIATE_TEST_SUITE_P(Places, AdjustTimeZoneTest,
                         ::testing::Values(AdjustCase{"74", "0", false, "4.9333"},
                                           AdjustCase{"2", "30", true, "-0.1667"},
                                           AdjustCase{"95", "23", false, "6.3589"},
                                           AdjustCase{"0", "0", false, "0.0000"}));

TEST(MinusOne, SubtractsOnceUntilTheZoneIsAdjustedAgain) {
  PersonFields f;
  f.longDeg = "95", f.longMin = "23";
  AdjustTimeZone(f);
  SubtractOneHour(f);
  EXPECT_EQ(f.timeZone, "5.3589");
  EXPECT_FALSE(f.minusOneEnabled);
  SubtractOneHour(f);
  EXPECT_EQ(f.timeZone, "5.3589");
  AdjustTimeZone(f);
  SubtractOneHour(f);
  EXPECT_EQ(f.timeZone, "5.3589");
}

TEST(EastWest, ZoneSignFollowsTheSide) {
  PersonFields f;
  f.timeZone = "5";
  ChooseEast(f, true);
  EXPECT_EQ(f.timeZone, "-5");
  EXPECT_TRUE(f.east);
  ChooseEast(f, true);
  EXPECT_EQ(f.timeZone, "-5");
  ChooseEast(f, false);
  EXPECT_EQ(f.timeZone, "5");
  EXPECT_FALSE(f.east);
}

TEST(UnknownTime, SetsNoon) {
  PersonFields f;
  f.hour = "7", f.minute = "15";
  ChooseUnknown(f);
  EXPECT_EQ(f.half, HalfDay::Unknown);
  EXPECT_EQ(f.hour, "12");
  EXPECT_EQ(f.minute, "0");
}

struct StepCase {
  const char* name;
  const char *month, *year, *day;
  int step;
  const char *newMonth, *newYear, *newDay;
  bool stepped = true;
};

class StepMonthTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepMonthTest, YearFollowsTheMonthAndTheDayFitsIt) {
  const StepCase& c = GetParam();
  PersonFields t;
  t.month = c.month, t.year = c.year, t.day = c.day;
  EXPECT_EQ(StepMonth(t, c.step), c.stepped);
  EXPECT_EQ(t.month, c.newMonth);
  EXPECT_EQ(t.year, c.newYear);
  EXPECT_EQ(t.day, c.newDay);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepMonthTest,
    ::testing::Values(StepCase{"BackOverNewYear", "1", "2000", "31", -1, "12", "1999", "31"},
                      StepCase{"ForwardOverNewYear", "12", "2000", "31", 1, "1", "2001", "31"},
                      StepCase{"IntoShortFebruary", "1", "2027", "31", 1, "2", "2027", "28"},
                      StepCase{"IntoLeapFebruary", "3", "2000", "30", -1, "2", "2000", "29"},
                      StepCase{"CenturyIsNoLeapYear", "1", "1900", "29", 1, "2", "1900", "28"},
                      StepCase{"IntoThirtyDays", "5", "2026", "31", -1, "4", "2026", "30"},
                      StepCase{"ShortDayStays", "1", "2027", "15", 1, "2", "2027", "15"},
                      StepCase{"DayNotANumberStays", "1", "2027", "", 1, "2", "2027", ""},
                      StepCase{"NegativeYear", "1", "-500", "31", -1, "12", "-501", "31"},
                      StepCase{"NonNumericReadsZero", "x", "y", "31", 1, "1", "0", "31"},
                      StepCase{"HugeYearRefused", "1", "99999999999999999999", "31", 1, "1", "99999999999999999999", "31",
                               false},
                      StepCase{"HugeMonthRefused", "1e300", "2000", "31", 1, "1e300", "2000", "31", false},
                      StepCase{"LargestYear", "12", "32767", "31", 1, "1", "32768", "31"}),
    [](const auto& info) { return std::string(info.param.name); });

struct KeyCase {
  KeyFilter filter;
  char32_t key;
  bool accepted;
};

class KeyAcceptedTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyAcceptedTest, FiltersTypedCharacters) {
  EXPECT_EQ(KeyAccepted(GetParam().filter, GetParam().key), GetParam().accepted)
      << static_cast<int>(GetParam().filter) << " " << static_cast<unsigned>(GetParam().key);
}

constexpr char32_t kBackspace = U'\b', kCtrlV = 0x16, kEnter = U'\r';
INSTANTIATE_TEST_SUITE_P(
    Keys, KeyAcceptedTest,
    ::testing::Values(KeyCase{KeyFilter::Digits, U'7', true}, KeyCase{KeyFilter::Digits, U'.', false},
                      KeyCase{KeyFilter::Digits, U'-', false}, KeyCase{KeyFilter::Digits, kBackspace, true},
                      KeyCase{KeyFilter::Digits, kCtrlV, false}, KeyCase{KeyFilter::Digits, kEnter, false},
                      KeyCase{KeyFilter::Digits, U' ', false}, KeyCase{KeyFilter::Digits, U'\u0663', false},
                      KeyCase{KeyFilter::DigitsPoint, U'.', true}, KeyCase{KeyFilter::DigitsPoint, U'-', false},
                      KeyCase{KeyFilter::DigitsPoint, U',', false},
                      KeyCase{KeyFilter::DigitsPointMinus, U'-', true},
                      KeyCase{KeyFilter::DigitsPointMinus, U'.', true},
                      KeyCase{KeyFilter::DigitsPointMinus, U'+', false},
                      KeyCase{KeyFilter::DigitsPointMinus, kCtrlV, false},
                      KeyCase{KeyFilter::DigitsMinus, U'-', true}, KeyCase{KeyFilter::DigitsMinus, U'.', false},
                      KeyCase{KeyFilter::DigitsMinus, kBackspace, true}, KeyCase{KeyFilter::Any, U'x', true},
                      KeyCase{KeyFilter::Any, U',', true}, KeyCase{KeyFilter::Any, kCtrlV, true}));

}  // namespace
}  // namespace kesmora
