// The output buffer: its two line lists, the page file, the saved text and the proposed name.
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

TEST(OutputBuffer, AfterAResetBothListsHoldOnlyTheSpare) {
  OutputBuffer b;
  EXPECT_EQ(b.AllLineCount(), 0);
  EXPECT_EQ(b.PageLineCount(), 0);
  EXPECT_EQ(b.AllLinesForOutput(), Lines{""});
  EXPECT_EQ(b.PageLinesForOutput(), Lines{""});
  Add(b, "x");
  b.Reset();
  EXPECT_EQ(b.AllLinesForOutput(), Lines{""});
  EXPECT_EQ(b.PageLinesForOutput(), Lines{""});
}

TEST(OutputBuffer, AddOutLineAppendsToBothLists) {
  OutputBuffer b;
  Add(b, "one");
  Add(b, "two");
  EXPECT_EQ(b.AllLineCount(), 2);
  EXPECT_EQ(b.PageLineCount(), 2);
  EXPECT_EQ(b.AllLinesForOutput(), (Lines{"one", "two", ""}));
  EXPECT_EQ(b.PageLinesForOutput(), (Lines{"one", "two", ""}));
  b.AddBlankLine();
  EXPECT_EQ(b.outLine, "");
  EXPECT_EQ(b.AllLinesForOutput(), (Lines{"one", "two", "", ""}));
}

TEST(OutputBuffer, StartNewPageKeepsEveryLineWritten) {
  OutputBuffer b;
  Add(b, "old");
  b.StartNewPage();
  EXPECT_EQ(b.PageLinesForOutput(), Lines{""});
  Add(b, "new");
  EXPECT_EQ(b.AllLinesForOutput(), (Lines{"old", "new", ""}));
  EXPECT_EQ(b.PageLinesForOutput(), (Lines{"new", ""}));
}

TEST(OutputBuffer, ClearAllForgetsTheLinesButKeepsThePage) {
  OutputBuffer b;
  Add(b, "shown");
  b.ClearAll();
  EXPECT_EQ(b.AllLineCount(), 0);
  EXPECT_EQ(b.AllLinesForOutput(), Lines{""});
  EXPECT_EQ(b.PageLinesForOutput(), (Lines{"shown", ""}));
}

class PageFileTest : public ::testing::Test {
 protected:
  test::ScratchDir dir;
};

TEST_F(PageFileTest, ShowPageWritesThePageIntoTheReportsFolder) {
  fs::create_directories(dir.path() / "reports");
  OutputBuffer b;
  Add(b, "before the page");
  b.StartNewPage();
  Add(b, "\r\n  Aspects found - transit to natal:\r\n");
  auto file = b.ShowPage(dir.path());
  ASSERT_TRUE(file);
  EXPECT_EQ(*file, dir.path() / "reports" / "LASTPAGE.TXT");
  EXPECT_FALSE(fs::exists(dir.path() / "REPORTS"));  // no second folder beside it
  // The page, its spare and the blank line ShowPage adds, each ended by CR LF.
  EXPECT_EQ(ReadWholeFile(*file), "\r\n  Aspects found - transit to natal:\r\n\r\n\r\n\r\n");
  EXPECT_EQ(b.AllLineCount(), 3);
  EXPECT_EQ(b.PageLineCount(), 2);

  // A second block on the same page: the file shows both.
  Add(b, "second");
  b.ShowPage(dir.path());
  EXPECT_EQ(ReadWholeFile(*file), "\r\n  Aspects found - transit to natal:\r\n\r\n\r\nsecond\r\n\r\n\r\n");
}

TEST_F(PageFileTest, ShowPageDoesNothingWhenNoLineWasEverWritten) {
  OutputBuffer b;
  EXPECT_FALSE(b.ShowPage(dir.path()));
  EXPECT_EQ(b.AllLineCount(), 0);
  EXPECT_FALSE(fs::exists(PageFilePath(dir.path())));
  Add(b, "x");
  b.ClearAll();
  EXPECT_FALSE(b.ShowPage(dir.path()));
}

TEST_F(PageFileTest, ShowHelpFileShowsTheFileAsAPage) {
  dir.Write("TIPS.TXT", "first tip\r\nsecond tip\r\n");
  OutputBuffer b;
  Add(b, "kept");
  auto file = b.ShowHelpFile(dir.path(), "TIPS.TXT");
  ASSERT_TRUE(file);
  EXPECT_EQ(ReadWholeFile(*file), "first tip\r\nsecond tip\r\n\r\n\r\n\r\n");
  EXPECT_EQ(b.AllLinesForOutput(), (Lines{"kept", "first tip", "second tip", "", "", ""}));
  EXPECT_FALSE(b.ShowHelpFile(dir.path(), "MISSING.TXT"));
}

std::string Joined(const Lines& lines) { return JoinCrlf(lines); }

TEST(SaveText, ThreeLinesGiveFive) {
  OutputBuffer b;
  for (const char* l : {"a", "b", "c"}) Add(b, l);
  EXPECT_EQ(b.SaveText(60), Joined({"a", "b", "c", "", "\f"}));
}

TEST(SaveText, EmptyBufferStillEndsWithAFormFeed) {
  EXPECT_EQ(OutputBuffer().SaveText(60), Joined({"", "\f"}));
}

Lines Numbered(int count, const std::string& prefix) {
  Lines lines;
  for (int k = 1; k <= count; ++k) lines.push_back(prefix + std::to_string(k));
  return lines;
}

TEST(SaveText, FormFeedAfterEverySixtiethLine) {
  OutputBuffer b;
  for (const std::string& l : Numbered(130, "l")) Add(b, l);
  Lines expected;
  for (int k = 1; k <= 130; ++k) {
    expected.push_back("l" + std::to_string(k));
    if (k % 60 == 0) expected.emplace_back("\f");
  }
  expected.emplace_back("");    // the spare
  expected.emplace_back("\f");  // none in the data
  EXPECT_EQ(b.SaveText(60), Joined(expected));
}

TEST(SaveText, CountingStartsAgainAfterAFormFeedInTheData) {
  OutputBuffer b;
  for (const std::string& l : Numbered(10, "a")) Add(b, l);
  Add(b, "\f");
  for (const std::string& l : Numbered(70, "b")) Add(b, l);
  Lines expected = Numbered(10, "a");
  expected.emplace_back("\f");
  for (int k = 1; k <= 70; ++k) {
    expected.push_back("b" + std::to_string(k));
    if (k == 60) expected.emplace_back("\f");
  }
  expected.emplace_back("");  // the spare; no form feed at the end, the data had one
  EXPECT_EQ(b.SaveText(60), Joined(expected));
}

TEST(SaveText, SpareLineCountsTowardsThePage) {
  OutputBuffer b;
  for (const std::string& l : Numbered(2, "l")) Add(b, l);
  EXPECT_EQ(b.SaveText(3), Joined({"l1", "l2", "", "\f", "\f"}));
}

struct NameCase {
  const char* person;
  const char* proposed;
};

class ProposedName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProposedName, FirstWordOrFirstEightCharacters) {
  EXPECT_EQ(ProposedDataFileName(GetParam().person), GetParam().proposed);
}

INSTANTIATE_TEST_SUITE_P(Names, ProposedName,
                         ::testing::Values(NameCase{"Hello World", "Hello.txt"}, NameCase{"Constantinople", "Constant.txt"},
                                           NameCase{"Abcdefghi jk", "Abcdefgh.txt"},
                                           NameCase{"Abcdefgh ij", "Abcdefgh.txt"}, NameCase{"Abcdefg hi", "Abcdefg.txt"},
                                           NameCase{"Example", "Example.txt"}, NameCase{"Ann Lee Smith", "Ann.txt"},
                                           // Names a file cannot carry as they are.
                                           NameCase{"", "Kesmora.txt"}, NameCase{" Smith", "Kesmora.txt"},
                                           NameCase{"Mary/John Smith", "Mary_Joh.txt"},
                                           NameCase{"a:b*c?", "a_b_c_.txt"}, NameCase{"..hidden", "hidden.txt"},
                                           NameCase{"Zoë Müller", "Zoë.txt"},
                                           NameCase{"Ölüdenizxy", "Ölüdeniz.txt"}));

}  // namespace
}  // namespace kesmora
