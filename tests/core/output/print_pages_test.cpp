// Cutting the print file into printed pages.
#include "core/output/print_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

using Lines = std::vector<std::string>;

Lines Numbered(int count, const std::string& prefix = "line ") {
  Lines lines;
  for (int k = 1; k <= count; ++k) lines.push_back(prefix + std::to_string(k));
  return lines;
}

Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PrintPages, FullPagesFormFeedsAndTheRest) {
  const struct {
    const char* name;
    Lines lines;
    int perPage;
    std::vector<size_t> sizes;
    const char* firstOfLastPage;
  } cases[] = {
      {"full pages then the rest", Numbered(130), 60, {60, 60, 10}, "line 121"},
      {"an exactly full last page adds no blank page", Numbered(120), 60, {60, 60}, "line 61"},
      {"a form feed starts a page and restarts the count", Numbered(10, "a") + Lines{"\f"} + Numbered(70, "b"), 60,
       {10, 60, 10}, "b61"},
      {"a form feed right after a full page gives a blank page", Numbered(3) + Lines{"\f", "next"}, 3, {3, 0, 1}, "next"},
      {"a trailing form feed prints no empty page", Numbered(5) + Lines{"\f"}, 60, {5}, "line 1"},
      {"the blank lines at the end print no page", Numbered(60) + Lines{"", " "}, 60, {60}, "line 1"},
      {"no limit keeps one page", Numbered(500), 0, {500}, "line 1"},
      {"nothing prints no page", Lines{}, 60, {}, nullptr}};
  for (const auto& c : cases) {
    auto pages = PrintPages(c.lines, c.perPage);
    std::vector<size_t> sizes;
    for (const auto& page : pages) sizes.push_back(page.size());
    EXPECT_EQ(sizes, c.sizes) << c.name;
    if (c.firstOfLastPage && !pages.empty() && !pages.back().empty()) {
      EXPECT_EQ(pages.back().front(), c.firstOfLastPage) << c.name;
    }
  }
}

}  // namespace
}  // namespace kesmora
