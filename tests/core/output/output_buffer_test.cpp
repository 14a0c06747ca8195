// The output buffer: its two line lists, the page file, the saved text with its form feeds and
// the proposed file name.
#include "core/test_support.h"
#include "core/output/output_buffer.h"
#include "core/reference/text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kesmora {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

void Add(OutputBuffer& b, const std::string& line) {
  b.outLine = line;
  b.AddOutLine();
}

Lines Numbered(int count, const std::string& prefix) {
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

}  // namespace
}  // namespace kesmora
