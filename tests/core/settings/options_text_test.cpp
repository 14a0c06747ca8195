// The check made before the Options window saves OPTIONS.OPT: every line the reader takes as
// an option must start with a number; one option set in the file's text.
#include "core/settings/options_file.h"

#include <gtest/gtest.h>

#include <string>

namespace kesmora {
namespace {

std::string Lines(int count, const std::string& last = "") {
  std::string text;
  for (int k = 1; k <= count; ++k) text += std::to_string(k) + "      option\r\n";
  return text + last;
}

TEST(CheckOptionsText, FindsTheFirstLineTheReaderWouldNotTake) {
  const std::pair<std::string, int> cases[] = {  // the faulty line, 0 when the text is accepted
      {Lines(24), 0},
      {"-5.5 zone\n+3\n  .5 lead blanks\n", 0},
      {Lines(17, "x0     zone\r\n0\r\n"), 18},
      {Lines(3, "   \r\n"), 4},
      {"1\n        5 too far right\n", 2},  // the number beyond the seven characters read
      {Lines(2, "\r\nnot an option\r\n"), 0},  // text after an empty line is not read
      {Lines(24, "free notes\r\n"), 0},      // nor after line 24
      {"1\r\n2\r\nthree", 3}};
  for (const auto& [text, faultLine] : cases) {
    auto fault = CheckOptionsText(text);
    EXPECT_EQ(fault ? fault->line : 0, faultLine) << text;
  }
  EXPECT_EQ(OptionsFaultMessage({18, "x0 zone"}, "OPTIONS.OPT"),
            "Line 18 of OPTIONS.OPT does not start with a number:\n\"x0 zone\"\nThe file was not saved.");
}

// The tip window's box writes option 13 into the file: its value only, the rest kept.
TEST(WithOptionValue, SetsOneValueAndKeepsEveryOtherCharacter) {
  EXPECT_EQ(WithOptionValue(Lines(14), 13, 0), Lines(12) + "0       option\r\n14      option\r\n");
  EXPECT_EQ(WithOptionValue("1\n2\n3", 2, 1.5f), "1\r\n1.5    \r\n3");  // no line break added at the end
  for (const std::string& tooShort : {Lines(12), Lines(5, "\r\n" + Lines(10))})
    EXPECT_FALSE(WithOptionValue(tooShort, 13, 1)) << tooShort;
}

}  // namespace
}  // namespace kesmora
