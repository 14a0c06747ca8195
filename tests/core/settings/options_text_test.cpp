// The check made before the Options window saves OPTIONS.OPT: every line the reader takes as
// an option must start with a number.
#include "core/settings/options_file.h"

#include <gtest/gtest.h>

#include <string>

namespace kesmora {
namespace {

struct OptionsTextCase {
  const char* name;
  std::string text;
  int faultLine;  // 0: accepted
};

class OptionsTextTest : public ::testing::TestWithParam<OptionsTextCase> {};

TEST_P(OptionsTextTest, FirstFaultyOptionLine) {
  auto fault = CheckOptionsText(GetParam().text);
  if (GetParam().faultLine == 0) {
    EXPECT_FALSE(fault) << fault->line;
  } else {
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->line, GetParam().faultLine);
  }
}

std::string Lines(int count, const std::string& last = "") {
  std::string text;
  for (int k = 1; k <= count; ++k) text += std::to_string(k) + "      option\r\n";
  return text + last;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OptionsTextTest,
    ::testing::Values(OptionsTextCase{"TwentyFourNumbers", Lines(24), 0},
                      OptionsTextCase{"SignedAndDecimalValues", "-5.5 zone\n+3\n  .5 lead blanks\n", 0},
                      OptionsTextCase{"LetterInLineEighteen", Lines(17, "x0     zone\r\n0\r\n"), 18},
                      OptionsTextCase{"BlanksOnlyLine", Lines(3, "   \r\n"), 4},
                      OptionsTextCase{"NumberBeyondSevenCharacters", "1\n        5 too far right\n", 2},
                      OptionsTextCase{"TextAfterAnEmptyLineIsNotRead", Lines(2, "\r\nnot an option\r\n"), 0},
                      OptionsTextCase{"TextAfterLineTwentyFourIsNotRead", Lines(24, "free notes\r\n"), 0},
                      OptionsTextCase{"LastLineWithoutLineBreak", "1\r\n2\r\nthree", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsFaultMessage, NamesTheLineAndItsText) {
  EXPECT_EQ(OptionsFaultMessage({18, "x0 zone"}, "OPTIONS.OPT"),
            "Line 18 of OPTIONS.OPT does not start with a number:\n\"x0 zone\"\nThe file was not saved.");
}

}  // namespace
}  // namespace kesmora
