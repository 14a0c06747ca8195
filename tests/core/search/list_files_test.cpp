// Where the target lists keep their files: the dialog texts of each kind, a chosen path split
// into file and folder, the folder a dialog opens in, and the files a run still has to ask for.
#include "core/app/session.h"
#include "core/test_support.h"
#include "core/search/list_files.h"

#include <gtest/gtest.h>

namespace kesmora {
namespace {

class ListFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session_.programDir = dir_.path();
    session_.settings.SetPathDefaults(dir_.path());
  }

  test::ScratchDir dir_;
  Session session_;
};

TEST_F(ListFilesTest, EachKindHasItsExtensionAndDialogTexts) {
  const ListFileTexts& nak = ListFileTextsOf(ListKind::LunarMansions);
  EXPECT_STREQ(nak.extension, "nak");
  EXPECT_STREQ(nak.filter, "Lunar mansion (Nakshatra) Files (*.nak)");
  EXPECT_STREQ(nak.openTitle, "Load .nak transit to lunar mansion file");
  EXPECT_STREQ(nak.saveTitle, "Save .nak transit to lunar mansion file");
  EXPECT_STREQ(ListFileTextsOf(ListKind::DegreePairs).extension, "t2n");
  EXPECT_STREQ(ListFileTextsOf(ListKind::DegreePairs).filter, "Auspicious points Files (*.t2n)");
  EXPECT_STREQ(ListFileTextsOf(ListKind::AuspiciousPoints).openTitle, "Load .apt transit to auspicious points file");
  EXPECT_STREQ(ListFileTextsOf(ListKind::MidpointsToNatal).filter, "Midpoint Files - transit to natal (*.mpn)");
  EXPECT_STREQ(ListFileTextsOf(ListKind::MidpointsToTransit).saveTitle, "Save .mpt transit to transit midpoints file");
  EXPECT_STREQ(ListFileTextsOf(ListKind::NatalMidpoints).openTitle, "Load .nmp transit to natal midpoints file");
}

TEST_F(ListFilesTest, ChosenPathBecomesCurrentFileAndItsFolderTheListDirectory) {
  ChooseListFile(session_, ListKind::NatalMidpoints, "/lists/natal/mine.nmp");
  EXPECT_EQ(session_.settings.nmpFilename, "/lists/natal/mine.nmp");
  EXPECT_EQ(session_.settings.nmpPath, "/lists/natal");
  EXPECT_EQ(ListDialogDirectory(session_, ListKind::NatalMidpoints), "/lists/natal");
  // The other lists keep theirs.
  EXPECT_TRUE(session_.settings.mpnFilename.empty());
  EXPECT_EQ(session_.settings.mpnPath, dir_.path().string());
}

TEST_F(ListFilesTest, DegreePairsAreKeptInTheSessionNotTheSettings) {
  EXPECT_EQ(ListDialogDirectory(session_, ListKind::DegreePairs), dir_.path().string());
  const Settings before = session_.settings;
  ChooseListFile(session_, ListKind::DegreePairs, "/pairs/a.t2n");
  EXPECT_EQ(session_.degreePairFile, "/pairs/a.t2n");
  EXPECT_EQ(session_.degreePairPath, "/pairs");
  EXPECT_EQ(SettingsText(session_.settings), SettingsText(before));
  EXPECT_EQ(CurrentListFile(session_, ListKind::DegreePairs), "/pairs/a.t2n");
}

TEST_F(ListFilesTest, EmptyListDirectoryOpensInTheProgramDirectory) {
  session_.settings.aptPath.clear();
  EXPECT_EQ(ListDialogDirectory(session_, ListKind::AuspiciousPoints), dir_.path().string());
}

TEST_F(ListFilesTest, RunAsksOnlyForSwitchedOnListsWithoutAFile) {
  RunOptions o;
  o.lunarMansions = o.auspiciousPoints = o.transitMidpointsToNatalMidpoints = true;
  session_.settings.aptFilename = dir_.Write("there.apt", "Lucky 015/Moon\r\n").string();
  session_.settings.nakFilename = (dir_.path() / "gone.nak").string();
  session_.settings.nmpFilename = dir_.path().string();  // a folder is no file
  // Loading order: lunar mansions, then both midpoint lists the midpoint-to-midpoint option needs.
  EXPECT_EQ(MissingListFiles(session_, o),
            (std::vector{ListKind::LunarMansions, ListKind::MidpointsToNatal, ListKind::NatalMidpoints}));
  o = RunOptions{};
  EXPECT_TRUE(MissingListFiles(session_, o).empty());
}

TEST_F(ListFilesTest, EditorWindowsHaveTheirOwnPositions) {
  Settings& s = session_.settings;
  EXPECT_EQ(&ListWindowPosition(s, ListKind::LunarMansions), &s.lunarMansionsForm);
  EXPECT_EQ(&ListWindowPosition(s, ListKind::MidpointsToNatal), &s.midpointsTtoN);
  EXPECT_EQ(&ListWindowPosition(s, ListKind::MidpointsToTransit), &s.midpointsTtoT);
  EXPECT_EQ(&ListWindowPosition(s, ListKind::NatalMidpoints), &s.midpointsTtoNmp);
  EXPECT_THROW(ListWindowPosition(s, ListKind::AuspiciousPoints), std::invalid_argument);
}

}  // namespace
}  // namespace kesmora
