// The output buffer: its two line lists, the page file, the saved text with its form feeds and
// the proposed file name; and the print file cut into printed pages.
#include "core/output/output_buffer.h"
#include "core/output/print_pages.h"
#include "core/reference/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

using Lines = std::vector<std::string>;

void Add(OutputBuffer& b, const std::string& line) {
  b.outLine = line;
  b.AddOutLine();
}

Lines Numbered(int count, const std::string& prefix = "line ") {
  Lines lines;
  for (int k = 1; k <= count; ++k) lines.push_back(prefix + std::to_string(k));
  return lines;
}

// Lines of the data, then what SaveText(60) writes after each of them (a form feed after every
// sixtieth line counted since the last one) and after the spare line.
Lines Saved(const Lines& data, bool formFeedAtTheEnd) {
  Lines expected;
  int onPage = 0;
  for (const std::string& line : data) {
    expected.push_back(line);
    onPage = line == "\f" ? 0 : onPage + 1;
    if (onPage == 60) expected.emplace_back("\f"), onPage = 0;
  }
  expected.emplace_back("");
  if (formFeedAtTheEnd) expected.emplace_back("\f");
  return expected;
}

TEST(SaveText, AFormFeedEndsEveryPageAndTheTextUnlessTheDataHasOne) {
  Lines plain = Numbered(130, "l"), withFeed = Numbered(10, "a");
  withFeed.emplace_back("\f");
  for (const std::string& l : Numbered(70, "b")) withFeed.push_back(l);
  for (const auto& [data, formFeedAtTheEnd] : {std::pair{Lines{}, true}, {plain, true}, {withFeed, false}}) {
    OutputBuffer b;
    for (const std::string& l : data) Add(b, l);
    EXPECT_EQ(b.SaveText(60), JoinCrlf(Saved(data, formFeedAtTheEnd))) << data.size() << " lines";
  }
  OutputBuffer two;
  for (const std::string& l : Numbered(2, "l")) Add(two, l);
  EXPECT_EQ(two.SaveText(3), JoinCrlf({"l1", "l2", "", "\f", "\f"}));  // the spare counts towards the page
}

TEST(ProposedDataFileName, FirstWordOrFirstEightCharactersThatAFileCanCarry) {
  const std::pair<const char*, const char*> cases[] = {
      {"Hello World", "Hello.txt"},      {"Constantinople", "Constant.txt"}, {"Abcdefghi jk", "Abcdefgh.txt"},
      {"Ann Lee Smith", "Ann.txt"},      {"", "Kesmora.txt"},                {" Smith", "Kesmora.txt"},
      {"Mary/John Smith", "Mary_Joh.txt"}, {"a:b*c?", "a_b_c_.txt"},         {"..hidden", "hidden.txt"},
      {"Zoë Müller", "Zoë.txt"},         {"Ölüdenizxy", "Ölüdeniz.txt"}};
  for (auto [person, proposed] : cases) EXPECT_EQ(ProposedDataFileName(person), proposed) << person;
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
