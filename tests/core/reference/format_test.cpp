// Longitude, date and path texts, and the number helpers every reader relies on.
#include "core/test_support.h"
#include "core/reference/format.h"
#include "core/reference/text.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace kesmora {
namespace {

// ---- FormatLongitude ---------------------------------------------------------------------

struct LongitudeCase {
  double longitude;
  const char* text;
};

class FormatLongitudeTest : public ::testing::TestWithParam<LongitudeCase> {};

TEST_P(FormatLongitudeTest, GivesSignDegreesMinutesSeconds) {
  EXPECT_EQ(FormatLongitude(GetParam().longitude), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Longitudes, FormatLongitudeTest,
    ::testing::Values(LongitudeCase{75.5, "15 Gem 30' 00\""},
                      LongitudeCase{0.0, "00 Ari 00' 00\""},
                      LongitudeCase{360.0, "00 Ari 00' 00\""},  // sign index 12 is Aries again
                      LongitudeCase{345.25, "15 Pis 15' 00\""},
                      LongitudeCase{123.456, "03 Leo 27' 22\""},
                      LongitudeCase{29.5 + 59.4 / 3600, "29 Ari 30' 59\""},
                      // 59.7" rounds to a full minute: carried, never shown as 60".
                      LongitudeCase{10.5 + 59.7 / 3600, "10 Ari 31' 00\""},
                      LongitudeCase{29.99999, "00 Tau 00' 00\""},
                      // Single precision rounds the degree within the sign up to 30.
                      LongitudeCase{239.999999999, "00 Sag 00' 00\""},
                      LongitudeCase{359.9999, "00 Ari 00' 00\""},
                      // Angles outside the circle are brought onto it; no number shows as none.
                      LongitudeCase{-5.0, "25 Pis 00' 00\""},
                      LongitudeCase{720 + 75.5, "15 Gem 30' 00\""},
                      LongitudeCase{std::nan(""), "-- --- --' --\""},
                      LongitudeCase{-HUGE_VAL, "-- --- --' --\""}));

// ---- JulianDayToText ---------------------------------------------------------------------

constexpr double kMarch7th2021Noon = 2459281.0;  // 2021-03-07 12:00 UT

struct DateOrderCase {
  DateOrder order;
  const char* date;
};

class JulianDayOrderTest : public ::testing::TestWithParam<DateOrderCase> {};

TEST_P(JulianDayOrderTest, WritesDateInSystemOrder) {
  DateTimeText t = JulianDayToText(kMarch7th2021Noon, 0, GetParam().order);
  EXPECT_EQ(t.date, GetParam().date);
  EXPECT_EQ(t.time, "12:00:00");
}

INSTANTIATE_TEST_SUITE_P(Orders, JulianDayOrderTest,
                         ::testing::Values(DateOrderCase{DateOrder::MonthDayYear, "03/07/2021"},
                                           DateOrderCase{DateOrder::DayMonthYear, "07/03/2021"},
                                           DateOrderCase{DateOrder::YearMonthDay, "2021/03/07"}));

TEST(JulianDayToText, EmptyTimeZoneFieldReadsAsGreenwich) {
  DateTimeText t = JulianDayToText(kMarch7th2021Noon, LeadingNumber(""), DateOrder::MonthDayYear);
  EXPECT_EQ(t.date, "03/07/2021");
  EXPECT_EQ(t.time, "12:00:00");
}

TEST(JulianDayToText, ZoneWestOfGreenwichIsSubtractedFromUniversalTime) {
  EXPECT_EQ(JulianDayToText(kMarch7th2021Noon, 5, DateOrder::MonthDayYear).time, "07:00:00");
  DateTimeText east = JulianDayToText(kMarch7th2021Noon, -13, DateOrder::MonthDayYear);
  EXPECT_EQ(east.date, "03/08/2021");
  EXPECT_EQ(east.time, "01:00:00");
}

TEST(JulianDayToText, RoundsToWholeSeconds) {
  double jd = 2459280.5 + (10 + 30.0 / 60 + 29.6 / 3600) / 24;
  EXPECT_EQ(JulianDayToText(jd, 0, DateOrder::MonthDayYear).time, "10:30:30");
  // A millionth of a day (0.0864 s) is added before rounding.
  jd = 2459280.5 + (10 + 30.0 / 60 + 29.45 / 3600) / 24;
  EXPECT_EQ(JulianDayToText(jd, 0, DateOrder::MonthDayYear).time, "10:30:30");
  jd = 2459280.5 + (10 + 30.0 / 60 + 29.35 / 3600) / 24;
  EXPECT_EQ(JulianDayToText(jd, 0, DateOrder::MonthDayYear).time, "10:30:29");
}

struct RollOverCase {
  double midnightJd;  // 0h UT of the day
  const char* nextDate;
};

class MidnightRollOverTest : public ::testing::TestWithParam<RollOverCase> {};

TEST_P(MidnightRollOverTest, TimeRoundingToMidnightGivesNextDate) {
  double jd = GetParam().midnightJd + 23.9999 / 24;  // 23:59:59.64
  DateTimeText t = JulianDayToText(jd, 0, DateOrder::MonthDayYear);
  EXPECT_EQ(t.time, "00:00:00");
  EXPECT_EQ(t.date, GetParam().nextDate);
}

INSTANTIATE_TEST_SUITE_P(Dates, MidnightRollOverTest,
                         ::testing::Values(RollOverCase{2459280.5, "03/08/2021"},
                                           RollOverCase{2459273.5, "03/01/2021"},  // 28 Feb
                                           RollOverCase{2451543.5, "01/01/2000"}));  // 31 Dec 1999

// ---- SplitPath and FileExists ------------------------------------------------------------

struct SplitCase {
  const char* path;
  const char* file;
  const char* directory;  // "(kept)" when the previous value must stay
};

class SplitPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathTest, SplitsAtLastSeparator) {
  std::string dir = "(kept)";
  EXPECT_EQ(SplitPath(GetParam().path, dir), GetParam().file);
  EXPECT_EQ(dir, GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitPathTest,
    ::testing::Values(SplitCase{"C:\\data\\x.mpn", "x.mpn", "C:\\data"},
                      SplitCase{"/home/user/lists/x.mpn", "x.mpn", "/home/user/lists"},
                      SplitCase{"C:\\a/b\\c.txt", "c.txt", "C:\\a/b"},
                      SplitCase{"x.mpn", "x.mpn", "(kept)"},
                      SplitCase{"C:\\data\\", "", "C:\\data"},
                      SplitCase{"/x.mpn", "x.mpn", ""}));

TEST(FileExists, OnlyReadableRegularFiles) {
  test::ScratchDir scratch;
  EXPECT_TRUE(FileExists(scratch.Write("a.txt", "x")));
  EXPECT_TRUE(FileExists(scratch.Write("empty.txt", "")));
  EXPECT_FALSE(FileExists(scratch.path()));
  EXPECT_FALSE(FileExists(scratch.path() / "missing.txt"));
}

// ---- Locale patterns ---------------------------------------------------------------------

struct PatternCase {
  const char* date;
  const char* time;
  DateOrder order;
  ClockFormat clock;
};

class FormatsFromPatternsTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(FormatsFromPatternsTest, FindsOrderAndClock) {
  LocaleFormats f = FormatsFromPatterns(GetParam().date, GetParam().time);
  EXPECT_EQ(f.dateOrder, GetParam().order);
  EXPECT_EQ(f.clockFormat, GetParam().clock);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatsFromPatternsTest,
    ::testing::Values(PatternCase{"%m/%d/%y", "%I:%M:%S %p", DateOrder::MonthDayYear, ClockFormat::Hours12},
                      PatternCase{"%d.%m.%Y", "%H:%M:%S", DateOrder::DayMonthYear, ClockFormat::Hours24},
                      PatternCase{"%Y-%m-%d", "%H:%M:%S", DateOrder::YearMonthDay, ClockFormat::Hours24},
                      PatternCase{"%D", "%r", DateOrder::MonthDayYear, ClockFormat::Hours12},
                      PatternCase{"%F", "%T", DateOrder::YearMonthDay, ClockFormat::Hours24},
                      PatternCase{"%e %b %Y", "%l:%M %p", DateOrder::DayMonthYear, ClockFormat::Hours12}));

// ---- Numbers -----------------------------------------------------------------------------

struct LeadingCase {
  const char* text;
  double value;
  bool isNumber;
};

class LeadingNumberTest : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumberTest, ReadsTheLeadingNumber) {
  EXPECT_DOUBLE_EQ(LeadingNumber(GetParam().text), GetParam().value) << GetParam().text;
  EXPECT_EQ(HasLeadingNumber(GetParam().text), GetParam().isNumber) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumberTest,
    ::testing::Values(LeadingCase{"12abc", 12, true}, LeadingCase{"  -3.5x", -3.5, true},
                      LeadingCase{"\t+7", 7, true}, LeadingCase{"", 0, false},
                      LeadingCase{"   ", 0, false}, LeadingCase{"abc", 0, false},
                      LeadingCase{".5", 0.5, true}, LeadingCase{"1e3", 1000, true},
                      LeadingCase{"1,5", 1, true}, LeadingCase{"-", 0, false},
                      LeadingCase{".", 0, false}, LeadingCase{"- 3", 0, false},
                      LeadingCase{"inf", 0, false}, LeadingCase{"nan", 0, false},
                      LeadingCase{"6.35889 time zone", 6.35889, true},
                      // Too large for a double: infinity, which every range check refuses.
                      LeadingCase{"1e400", HUGE_VAL, true}, LeadingCase{"-1e400 deg", -HUGE_VAL, true},
                      LeadingCase{"0.1e400", HUGE_VAL, true}, LeadingCase{"1e-400", 0, true},
                      LeadingCase{"0.000e999", 0, true}));

TEST(WholeNumber, OnlyDigitsThatFit) {
  EXPECT_EQ(WholeNumber(" -7 "), -7);
  EXPECT_EQ(WholeNumber("19490000000"), 19490000000LL);
  EXPECT_EQ(WholeNumber("99999999999999999999"), std::nullopt);
  EXPECT_EQ(WholeNumber("+7"), 7);
  for (const char* text : {"", "-", "+", "7x", "1e3", "1.5", "- 7", "+-92252", "-+7"})
    EXPECT_EQ(WholeNumber(text), std::nullopt) << text;
  EXPECT_EQ(ClampedInt(1e300), std::numeric_limits<int>::max());
  EXPECT_EQ(ClampedInt(-HUGE_VAL), std::numeric_limits<int>::min());
  EXPECT_EQ(ClampedInt(std::nan("")), 0);
  EXPECT_EQ(ClampedInt(-2.5), -3);
}

// ---- Date texts --------------------------------------------------------------------------

struct DateParseCase {
  const char* text;
  DateOrder order;
  int year, month, day;  // year 0 when the text must be refused
};

class ParseDateTest : public ::testing::TestWithParam<DateParseCase> {};

TEST_P(ParseDateTest, ReadsRealDatesAndRefusesTheRest) {
  const DateParseCase& c = GetParam();
  std::optional<CivilDate> d = ParseStoredDate(c.text, c.order);  // "/" texts go to ParseDateText
  ASSERT_EQ(d.has_value(), c.year != 0) << c.text;
  if (d) {
    EXPECT_EQ((std::array{d->year, d->month, d->day}), (std::array{c.year, c.month, c.day})) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseDateTest,
    ::testing::Values(DateParseCase{"22 Sep 1949", DateOrder::MonthDayYear, 1949, 9, 22},
                      DateParseCase{"1949 Sep 22", DateOrder::YearMonthDay, 1949, 9, 22},
                      DateParseCase{"03/07/2021", DateOrder::MonthDayYear, 2021, 3, 7},
                      DateParseCase{"03/07/2021", DateOrder::DayMonthYear, 2021, 7, 3},
                      DateParseCase{"2024/02/29", DateOrder::YearMonthDay, 2024, 2, 29},
                      DateParseCase{"29 Feb 2023", DateOrder::MonthDayYear, 0, 0, 0},
                      DateParseCase{"0 Jan 2000", DateOrder::MonthDayYear, 0, 0, 0},
                      // Numbers the date library would wrap around (a day is 8 bits, a year 16).
                      DateParseCase{"257/1/2000", DateOrder::DayMonthYear, 0, 0, 0},
                      DateParseCase{"22 Sep 67537", DateOrder::MonthDayYear, 0, 0, 0},
                      DateParseCase{"13/1/2000", DateOrder::MonthDayYear, 0, 0, 0},
                      // Too long for any whole number: once an uncaught exception.
                      DateParseCase{"22 Sep 19490000000", DateOrder::MonthDayYear, 0, 0, 0},
                      DateParseCase{"1/1/99999999999999999999", DateOrder::MonthDayYear, 0, 0, 0}));

struct PatternNumberCase {
  double value;
  int integerDigits;
  int decimals;
  const char* text;
};

class FixedPatternTest : public ::testing::TestWithParam<PatternNumberCase> {};

TEST_P(FixedPatternTest, PadsAndRounds) {
  const auto& c = GetParam();
  EXPECT_EQ(FixedPattern(c.value, c.integerDigits, c.decimals), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FixedPatternTest,
    ::testing::Values(PatternNumberCase{95.23, 3, 2, "095.23"}, PatternNumberCase{-95.23, 3, 2, "-095.23"},
                      PatternNumberCase{123.4, 3, 2, "123.40"}, PatternNumberCase{29.45, 2, 2, "29.45"},
                      PatternNumberCase{5.5, 2, 2, "05.50"}, PatternNumberCase{9.05, 0, 2, "9.05"},
                      PatternNumberCase{10.43, 0, 2, "10.43"}, PatternNumberCase{0.05, 0, 2, ".05"},
                      PatternNumberCase{9.005, 0, 2, "9.01"}, PatternNumberCase{-2.345, 1, 2, "-2.35"},
                      PatternNumberCase{-0.001, 3, 2, "000.00"},
                      PatternNumberCase{-0.16667, 1, 4, "-0.1667"}));

TEST(NumberText, ShortestFormWithPoint) {
  EXPECT_EQ(NumberText(6.35889), "6.35889");
  EXPECT_EQ(NumberText(-5), "-5");
  EXPECT_EQ(NumberText(-0.0), "0");
  EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
  EXPECT_EQ(ZeroPadded(7, 2), "07");
  EXPECT_EQ(ZeroPadded(1949, 2), "1949");
  EXPECT_EQ(ZeroPadded(-5, 2), "-05");
  // Once a recursion without end: the most negative number has no positive twin.
  EXPECT_EQ(ZeroPadded(std::numeric_limits<long long>::min(), 2), "-9223372036854775808");
}

}  // namespace
}  // namespace kesmora
