// Search-selection files: which transit planets, natal planets and aspects are ticked.
#include "core/test_support.h"
#include "core/reference/reference_tables.h"
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
    for (size_t k = 0; k < NumPlanetBoxes; ++k) s.chkP1Planets[k] = k % 3 == 0, s.chkP2Planets[k] = k % 2 == 1;
    for (size_t k = 0; k < NumAspectBoxes; ++k) s.chkAspects[k] = k % 4 != 2;
    return s;
  }
  static Settings AllTicked() {
    Settings s;
    s.chkP1Planets.fill(1), s.chkP2Planets.fill(1), s.chkAspects.fill(1);
    return s;
  }
  static void ExpectBoxes(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.chkP1Planets, b.chkP1Planets);
    EXPECT_EQ(a.chkP2Planets, b.chkP2Planets);
    EXPECT_EQ(a.chkAspects, b.chkAspects);
  }

  ReferenceTables tables;
  test::ScratchDir dir;
};

TEST_F(SelectionFileTest, WrittenAndReadBack) {
  std::vector<std::string> lines = test::SplitCrlf(SelectionText(Patterned(), tables));
  ASSERT_EQ(lines.size(), 141u);
  // Transit boxes, then the natal boxes from the first planet again, then the aspects.
  for (auto [n, line] : {std::pair{0, "1 - Sun"}, {63, "1 - Moon"}, {126, "0 - 030"}, {140, "1 - c.p"}})
    EXPECT_EQ(lines[static_cast<size_t>(n)], line);
  auto file = dir.path() / "choice.opt";
  ASSERT_TRUE(WriteSelectionFile(Patterned(), tables, file));
  Settings read = AllTicked();
  ASSERT_TRUE(ReadSelectionFile(read, file));
  ExpectBoxes(read, Patterned());
  EXPECT_FALSE(WriteSelectionFile(AllTicked(), tables, dir.path() / "no-such-folder" / "x.opt"));
}

TEST_F(SelectionFileTest, AShortOrMissingFileChangesNoBox) {
  // 140 cleared lines with LF line ends: one short of a whole file.
  std::string text;
  for (int n = 0; n < 140; ++n) text += "0 - x\n";
  Settings s = AllTicked();
  SelectionLoad load = ReadSelectionFile(s, dir.Write("short.opt", text));
  EXPECT_EQ(load.status, SelectionLoad::Status::TooShort);
  EXPECT_EQ(SelectionLoadError(load, "short.opt"),
            "The file short.opt has 140 lines; a settings file has 141. No box was changed.");
  ExpectBoxes(s, AllTicked());
  EXPECT_EQ(ReadSelectionFile(s, dir.path() / "none.opt").status, SelectionLoad::Status::Unreadable);
  ExpectBoxes(s, AllTicked());
}

// A selection saved over OPTIONS.OPT once set the home place to 0/0: the program's own files of
// its folder are refused, in any letter case and through a link; the same names elsewhere are not.
TEST_F(SelectionFileTest, TheProgramsOwnFilesAreRefusedAsTargets) {
  namespace fs = std::filesystem;
  const fs::path home = dir.path() / "home";
  fs::create_directories(home / "reports");
  fs::create_symlink(home / "OPTIONS.OPT", home / "reports" / "link.opt");
  for (const char* own : {"options.opt", "OPTIONS.MST", "Kesmora.INI", "planet_names.txt", "reports/link.opt"})
    EXPECT_TRUE(ProgramFileRefusal(home / own, home)) << own;
  EXPECT_EQ(ProgramFileRefusal(home / "reports" / "link.opt", home),
            "OPTIONS.OPT is one of the program's own files. Please choose another name for your settings file.");
  for (const char* other : {"mine.opt", "reports/OPTIONS.OPT"}) EXPECT_FALSE(ProgramFileRefusal(home / other, home)) << other;
}

}  // namespace
}  // namespace kesmora
