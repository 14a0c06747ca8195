// Where the target lists keep their files: a chosen path split into file and folder, the folder
// a dialog opens in, and the files a run still has to ask for.
#include "core/app/session.h"
#include "core/test_support.h"
#include "core/app/list_files.h"

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

TEST_F(ListFilesTest, ChosenPathBecomesCurrentFileAndItsFolderTheListDirectory) {
  ChooseListFile(session_, ListKind::NatalMidpoints, "/lists/natal/mine.nmp");
  EXPECT_EQ(session_.settings.nmpFilename, "/lists/natal/mine.nmp");
  EXPECT_EQ(session_.settings.nmpPath, "/lists/natal");
  EXPECT_EQ(ListDialogDirectory(session_, ListKind::NatalMidpoints), "/lists/natal");
  // The other lists keep theirs.
  EXPECT_TRUE(session_.settings.mpnFilename.empty());
  EXPECT_EQ(session_.settings.mpnPath, dir_.path().string());
  session_.settings.aptPath.clear();  // an empty folder opens in the program folder
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

}  // namespace
}  // namespace kesmora
