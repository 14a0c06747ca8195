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
  const struct {
    double jd, zone;
    DateOrder order;
    const char *date, *time;
  } cases[] = {
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
  const struct {
    const char* text;
    double value;
    bool isNumber;
  } cases[] = {{"12abc", 12, true},  {"  -3.5x", -3.5, true}, {"\t+7", 7, true},   {"", 0, false},
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
  const struct {
    double value;
    int integerDigits, decimals;
    const char* text;
  } cases[] = {{95.23, 3, 2, "095.23"}, {-95.23, 3, 2, "-095.23"}, {5.5, 2, 2, "05.50"},  {0.05, 0, 2, ".05"},
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

}  // namespace
}  // namespace kesmora
