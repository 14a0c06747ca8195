// The hits file: written and read back, its header rules, and files it refuses.
#include "core/results/hits_file.h"

#include "core/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kesmora {
namespace {

std::string Crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return text;
}

TEST(HitsFile, DayWrittenAndReadBack) {
  MinuteCounts counts{};
  counts[0] = 3;
  counts[643] = 12;
  counts[1439] = 1;
  HitsSeries day = SeriesOfDay("Example and Transits - Now", "09/22/1949", counts);
  const std::string text = HitsFileText(day);
  std::vector<std::string> lines = test::SplitCrlf(text);
  ASSERT_EQ(lines.size(), 7u + 1441u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8),
            (std::vector<std::string>{"Example and Transits - Now", "09/22/1949", " 12 ", " 0 ", "am", " 1440 ", " 1 ",
                                      " 3 "}));
  EXPECT_EQ(lines[7 + 643], " 12 ");
  EXPECT_EQ(lines.back(), " 0 ");

  HitsFileReading back = ParseHitsFile(text, DateOrder::MonthDayYear);
  ASSERT_TRUE(back.series) << back.error;
  EXPECT_EQ(back.series->counts, day.counts);
  EXPECT_EQ(back.series->labels, day.labels);
  EXPECT_EQ(back.series->labels[644], "10:43 am");
  EXPECT_EQ(HitsFileText(*back.series), text);
}

// A file cut short, or made by hand, shows the counts it has; it was once refused.
TEST(HitsFile, AFileShortOfCountsShowsTheCountsItHas) {
  HitsFileReading r = ParseHitsFile(Crlf({"T", "09/22/1949", "6", "30", "pm", "60", "5", "1", "4"}), DateOrder::MonthDayYear);
  ASSERT_TRUE(r.series) << r.error;
  EXPECT_EQ(r.series->counts, (std::vector<int>{0, 1, 4}));
  EXPECT_EQ(r.series->labels[2], "06:35 pm");
}

struct BadFile {
  const char* name;
  std::vector<std::string> lines;
  const char* says;
};

class BadHitsFile : public testing::TestWithParam<BadFile> {};

TEST_P(BadHitsFile, IsRefusedWithItsReason) {
  HitsFileReading r = ParseHitsFile(Crlf(GetParam().lines), DateOrder::MonthDayYear);
  EXPECT_FALSE(r.series);
  EXPECT_NE(r.error.find(GetParam().says), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    HitsFile, BadHitsFile,
    testing::Values(BadFile{"MoreCounts", {"T", "09/22/1949", "12", "0", "am", "2", "1", "1", "2", "3", "4"},
                            "holds 4 counts where its header gives 3 points"},
                    BadFile{"NoCounts", {"T", "09/22/1949", "12", "0", "am", "2", "1"}, "holds no counts"},
                    BadFile{"ShortHeader", {"T", "09/22/1949", "12", "0"}, "seven header lines"},
                    BadFile{"HourThirteen", {"T", "09/22/1949", "13", "0", "am", "0", "1", "1"}, "line 3 (start hour)"},
                    BadFile{"StepZero", {"T", "09/22/1949", "12", "0", "am", "10", "0", "1"}, "line 7 (step"},
                    BadFile{"TooManyPoints", {"T", "09/22/1949", "12", "0", "am", "32767", "1"}, "more than 32767"},
                    BadFile{"NoDate", {"T", "Tuesday", "12", "0", "am", "0", "1", "1"}, "line 2"},
                    BadFile{"NegativeCount", {"T", "09/22/1949", "12", "0", "am", "1", "1", "1", "-1"}, "line 9"},
                    BadFile{"TwoValuesOnALine", {"T", "09/22/1949", "12", "0", "am", "1", "1", "1", "3,4"}, "line 9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HitsFile, ADatedCopysNameIsNeverAPath) {
  EXPECT_EQ(DatedCopyName("Example", "09/22/1949", DateOrder::MonthDayYear), "Example_09-22-1949_0000_0.csv");
  EXPECT_EQ(DatedCopyName("Example", "1949/09/22", DateOrder::YearMonthDay), "Example_09-22-1949_0000_0.csv");
  // A name is no path.
  EXPECT_EQ(DatedCopyName("../A/B", "22/09/1949", DateOrder::DayMonthYear), ".._A_B_09-22-1949_0000_0.csv");
  EXPECT_FALSE(DatedCopyName("Example", "13/13/1949", DateOrder::MonthDayYear));
}

}  // namespace
}  // namespace kesmora
