#pragma once
// "Edit List": the current names file as plain text, saved whole with Save; Quit closes the
// window and the main window lists the names file again.
#include "core/app/names_commands.h"

#include <QDialog>

#include <filesystem>

class QPlainTextEdit;

namespace kesmora {
class UserInterface;
}

namespace kesmora::gui {

class NameEdit : public QDialog {
  Q_OBJECT
 public:
  NameEdit(const std::filesystem::path& file, UserInterface& ui, QWidget* parent = nullptr);

  void Form_Load();
  void btnSave_Click();
  void btnQuit_Click();

 signals:
  // The window closed (Quit or the close button); what was saved is in the file.
  void quit();

 protected:
  void done(int result) override;

 private:
  std::filesystem::path file_;
  UserInterface& ui_;
  NamesFileText shown_;
  QPlainTextEdit* txtContent_ = nullptr;
};

}  // namespace kesmora::gui
