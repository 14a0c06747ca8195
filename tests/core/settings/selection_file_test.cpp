// Search-selection files: which transit planets, natal planets and aspects are ticked.
#include "core/test_support.h"
#include "core/reference/reference_tables.h"
#include "core/reference/text.h"
#include "core/settings/selection_file.h"
#include "core/settings/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kesmora {
namespace {

class SelectionFileTest : public ::testing::Test {
 protected:
  SelectionFileTest() { LoadReferenceData(tables, test::ShippedDataDir()); }

  // Every box set by a pattern that differs between the three groups.
  static Settings Patterned() {
    Settings s;
    for (int k = 0; k < NumPlanetBoxes; ++k) {
      s.chkP1Planets[static_cast<size_t>(k)] = k % 3 == 0;
      s.chkP2Planets[static_cast<size_t>(k)] = k % 2 == 1;
    }
    for (int k = 0; k < NumAspectBoxes; ++k) s.chkAspects[static_cast<size_t>(k)] = k % 4 != 2;
    return s;
  }
  static Settings AllTicked() {
    Settings s;
    s.chkP1Planets.fill(1);
    s.chkP2Planets.fill(1);
    s.chkAspects.fill(1);
    return s;
  }

  ReferenceTables tables;
  test::ScratchDir dir;
};

TEST_F(SelectionFileTest, WrittenLayout) {
  std::vector<std::string> lines = test::SplitCrlf(SelectionText(Patterned(), tables));
  ASSERT_EQ(lines.size(), 141u);
  EXPECT_EQ(lines[0], "1 - Sun");
  EXPECT_EQ(lines[1], "0 - Moon");
  EXPECT_EQ(lines[3], "1 - Venus");
  EXPECT_EQ(lines[14], "0 - Ascendant");
  EXPECT_EQ(lines[62], "0 - Sun");  // the natal boxes start again at the first planet
  EXPECT_EQ(lines[63], "1 - Moon");
  EXPECT_EQ(lines[124], "1 - 000");  // then the aspects
  EXPECT_EQ(lines[126], "0 - 030");
  EXPECT_EQ(lines[139], "1 - par");
  EXPECT_EQ(lines[140], "1 - c.p");
  for (const std::string& line : lines) EXPECT_EQ(line.substr(1, 3), " - ") << line;
}

TEST_F(SelectionFileTest, ReadingBackRestoresEveryBox) {
  Settings written = Patterned();
  auto file = dir.path() / "choice.opt";
  ASSERT_TRUE(WriteSelectionFile(written, tables, file));
  Settings read = AllTicked();
  ASSERT_TRUE(ReadSelectionFile(read, file));
  EXPECT_EQ(read.chkP1Planets, written.chkP1Planets);
  EXPECT_EQ(read.chkP2Planets, written.chkP2Planets);
  EXPECT_EQ(read.chkAspects, written.chkAspects);
  // A file that cannot be written leaves the old one whole.
  EXPECT_FALSE(WriteSelectionFile(AllTicked(), tables, dir.path() / "no-such-folder" / "x.opt"));
}

TEST_F(SelectionFileTest, OnlyTheFirstCharacterCounts) {
  std::string text;
  text += "1 - Some other caption\r\n";
  text += " 1 - Moon\r\n";  // a blank first clears the box
  text += "1\r\n";
  text += "x - Venus\r\n";
  text += "\r\n";
  text += "10 - Jupiter\r\n";
  for (int n = 6; n < 141; ++n) text += "0 - \r\n";
  Settings s = AllTicked();
  ASSERT_TRUE(ReadSelectionFile(s, dir.Write("odd.opt", text)));
  EXPECT_EQ(s.chkP1Planets[0], 1);
  EXPECT_EQ(s.chkP1Planets[1], 0);
  EXPECT_EQ(s.chkP1Planets[2], 1);
  EXPECT_EQ(s.chkP1Planets[3], 0);
  EXPECT_EQ(s.chkP1Planets[4], 0);
  EXPECT_EQ(s.chkP1Planets[5], 1);
  EXPECT_EQ(s.chkAspects[16], 0);
}

TEST_F(SelectionFileTest, AShortFileChangesNoBox) {
  // 140 cleared lines with LF line ends: one short of a whole file.
  std::string text;
  for (int n = 0; n < 140; ++n) text += "0 - x\n";
  Settings s = AllTicked();
  SelectionLoad load = ReadSelectionFile(s, dir.Write("short.opt", text));
  EXPECT_EQ(load.status, SelectionLoad::Status::TooShort);
  EXPECT_EQ(load.lineCount, 140u);
  EXPECT_EQ(SelectionLoadError(load, "short.opt"),
            "The file short.opt has 140 lines; a settings file has 141. No box was changed.");
  EXPECT_EQ(s.chkP1Planets, AllTicked().chkP1Planets);
  EXPECT_EQ(s.chkAspects, AllTicked().chkAspects);
}

TEST_F(SelectionFileTest, AMissingFileChangesNothing) {
  Settings s = Patterned();
  EXPECT_EQ(ReadSelectionFile(s, dir.path() / "none.opt").status, SelectionLoad::Status::Unreadable);
  EXPECT_EQ(s.chkP1Planets, Patterned().chkP1Planets);
  EXPECT_EQ(s.chkAspects, Patterned().chkAspects);
}

}  // namespace
}  // namespace kesmora
