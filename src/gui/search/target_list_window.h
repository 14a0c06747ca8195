#pragma once
#include "gui/common/window_geometry.h"

#include <memory>
// The editor of one target list: the three midpoint lists (`Midpoints_t_to_n`,
// `Midpoints_t_to_t`, `Midpoints_t_to_nmp`) and the lunar mansions (`lunar_mansions_form`).
// Pairs are picked from two lists and kept in a list file through Load, Save and New.
#include "core/search/target_lists.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QListWidget;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class FileDialogs;
struct ListEditorTexts;

class TargetListWindow : public QWidget {
  Q_OBJECT
 public:
  // kind: MidpointsToNatal, MidpointsToTransit, NatalMidpoints or LunarMansions.
  TargetListWindow(Session& session, UserInterface& ui, FileDialogs& dialogs, ListKind kind, QWidget* mainWindow);

  ListKind Kind() const { return kind_; }
  // Places the window where it was last, fills the pick lists from the current planet names
  // and shows it. The list of pairs starts empty.
  void Form_Load();

  void cmdAdd_Click();
  void cmdRemove_Click();
  void cmdClear_Click();
  void cmdNew_Click();
  void cmdLoad_Click();
  void cmdSave_Click();
  // The list becomes the lines of the current file, as they are; a missing file leaves it empty.
  void Read_list_file_contents();

  std::vector<std::string> Entries() const;
  // True when the list shows what its file holds (or nothing was added since it opened).
  bool Saved() const { return Entries() == saved_; }
  // With edits not yet saved, asks whether to save them: true when they are saved or may be
  // discarded, false when the user cancels (or cancels the save dialog).
  bool ChangesSettled();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void FillPickLists();
  void ShowCount();
  void ShowFileName();
  void SizeLists();
  bool Save();
  bool WriteCurrentFile(const std::vector<std::string>& entries);

  Session& session_;
  UserInterface& ui_;
  FileDialogs& dialogs_;
  const ListKind kind_;
  const ListEditorTexts& texts_;
  bool loading_ = true;
  std::unique_ptr<GeometryKeeper> keeper_;
  QLabel *label1_ = nullptr, *label2_ = nullptr, *label3_ = nullptr, *label4_ = nullptr;
  QListWidget *lstP1_ = nullptr, *lstP2_ = nullptr, *entries_ = nullptr;
  std::vector<std::string> saved_;  // the entries as the current file holds them
};

}  // namespace kesmora::gui
