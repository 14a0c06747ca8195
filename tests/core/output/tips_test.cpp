// Tips beyond what the tip window's test shows: a file of fewer than nine tips, and none.
#include "core/test_support.h"
#include "core/output/tips.h"

#include <gtest/gtest.h>

namespace kesmora {
namespace {

TEST(Tips, FourTipsGoingBackShowsNothingForTheMissingNinth) {
  test::ScratchDir dir;
  dir.Write(TipsFileName, "one\r\ntwo\r\nthree\r\nfour\r\n");
  Tips tips(dir.path());
  tips.Next();
  EXPECT_EQ(tips.Text(), "one");
  tips.Back();
  EXPECT_EQ(tips.Current(), 9);
  EXPECT_EQ(tips.Text(), "");
  tips.Next();  // past the last of four: back to the first
  EXPECT_EQ(tips.Text(), "one");
}

TEST(Tips, MissingFileAsksWhetherYouKnewItWasNotFound) {
  test::ScratchDir dir;
  Tips tips(dir.path());
  for (auto step : {&Tips::Next, &Tips::Back, &Tips::Back}) {
    (tips.*step)();
    EXPECT_EQ(tips.Text(), "that the TIPOFDAY.TXT file was not found?");
  }
}

}  // namespace
}  // namespace kesmora
