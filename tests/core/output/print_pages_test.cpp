// Cutting the print file into printed pages.
#include "core/output/print_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

std::vector<std::string> Numbered(int count, const std::string& prefix = "line ") {
  std::vector<std::string> lines;
  for (int k = 1; k <= count; ++k) lines.push_back(prefix + std::to_string(k));
  return lines;
}

std::vector<size_t> Sizes(const std::vector<std::vector<std::string>>& pages) {
  std::vector<size_t> sizes;
  for (const auto& page : pages) sizes.push_back(page.size());
  return sizes;
}

TEST(PrintPages, FullPagesThenTheRest) {
  auto pages = PrintPages(Numbered(130), 60);
  EXPECT_EQ(Sizes(pages), (std::vector<size_t>{60, 60, 10}));
  EXPECT_EQ(pages[1].front(), "line 61");
  EXPECT_EQ(pages[2].back(), "line 130");
}

TEST(PrintPages, ExactlyFullLastPageAddsNoBlankPage) {
  EXPECT_EQ(Sizes(PrintPages(Numbered(120), 60)), (std::vector<size_t>{60, 60}));
}

TEST(PrintPages, FormFeedStartsAPageAndRestartsTheCount) {
  std::vector<std::string> lines = Numbered(10, "a");
  lines.emplace_back("\f");
  for (const std::string& line : Numbered(70, "b")) lines.push_back(line);
  auto pages = PrintPages(lines, 60);
  EXPECT_EQ(Sizes(pages), (std::vector<size_t>{10, 60, 10}));
  EXPECT_EQ(pages[1].front(), "b1");
  EXPECT_EQ(pages[2].front(), "b61");
}

TEST(PrintPages, FormFeedRightAfterAFullPageGivesABlankPage) {
  std::vector<std::string> lines = Numbered(3);
  lines.emplace_back("\f");
  lines.emplace_back("next");
  EXPECT_EQ(Sizes(PrintPages(lines, 3)), (std::vector<size_t>{3, 0, 1}));
}

TEST(PrintPages, TrailingFormFeedPrintsNoEmptyPage) {
  std::vector<std::string> lines = Numbered(5);
  lines.emplace_back("\f");
  EXPECT_EQ(Sizes(PrintPages(lines, 60)), (std::vector<size_t>{5}));
}

TEST(PrintPages, NoLimitKeepsOnePage) {
  EXPECT_EQ(Sizes(PrintPages(Numbered(500), 0)), (std::vector<size_t>{500}));
}

TEST(PrintPages, EmptyLinesArePrinted) {
  EXPECT_EQ(Sizes(PrintPages({"", "", ""}, 2)), (std::vector<size_t>{2, 1}));
  EXPECT_TRUE(PrintPages({}, 60).empty());
}

}  // namespace
}  // namespace kesmora
