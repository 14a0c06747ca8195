// The tips of the "Tip of the Day" window: wrapping forwards, going back from the first tip to
// the ninth, and a tips file that is missing or shorter than nine tips.
#include "core/test_support.h"
#include "core/output/tips.h"

#include <gtest/gtest.h>

#include <string>

namespace kesmora {
namespace {

std::string TipLines(int count) {
  std::string text;
  for (int k = 1; k <= count; ++k) text += "tip " + std::to_string(k) + "\r\n";
  return text;
}

TEST(Tips, NextWrapsAfterTheLastAndBackFromTheFirstGoesToNine) {
  test::ScratchDir dir;
  dir.Write(TipsFileName, TipLines(9));
  Tips tips(dir.path());
  ASSERT_EQ(tips.Count(), 9);
  tips.Next();
  EXPECT_EQ(tips.Text(), "tip 1");
  for (int k = 0; k < 8; ++k) tips.Next();
  EXPECT_EQ(tips.Text(), "tip 9");
  tips.Next();
  EXPECT_EQ(tips.Text(), "tip 1");
  tips.Back();
  EXPECT_EQ(tips.Current(), 9);
  EXPECT_EQ(tips.Text(), "tip 9");
}

TEST(Tips, FourTipsGoingBackShowsNothingForTheMissingNinth) {
  test::ScratchDir dir;
  dir.Write(TipsFileName, TipLines(4));
  Tips tips(dir.path());
  tips.Next();
  tips.Back();
  EXPECT_EQ(tips.Current(), 9);
  EXPECT_EQ(tips.Text(), "");
  tips.Next();  // past the last of four: back to the first
  EXPECT_EQ(tips.Text(), "tip 1");
}

TEST(Tips, MissingFileAsksWhetherYouKnewItWasNotFound) {
  test::ScratchDir dir;
  Tips tips(dir.path());
  tips.Next();
  EXPECT_FALSE(tips.FileFound());
  EXPECT_EQ(tips.Text(), "that the TIPOFDAY.TXT file was not found?");
  tips.Back();
  EXPECT_EQ(tips.Text(), "that the TIPOFDAY.TXT file was not found?");
}

TEST(Tips, ShippedFileHasNineTips) {
  Tips tips(test::ShippedDataDir());
  EXPECT_EQ(tips.Count(), TipsShown);
}

}  // namespace
}  // namespace kesmora
