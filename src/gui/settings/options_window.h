#pragma once
// The Options window: OPTIONS.OPT as plain text, saved and put in force, or rebuilt from the
// factory copy OPTIONS.MST.
#include <QWidget>

#include <filesystem>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class OptionsWindow : public QWidget {
  Q_OBJECT
 public:
  // `saved` runs after the options were saved or restored and read again (the main window
  // renews its title).
  OptionsWindow(Session& session, UserInterface& ui, std::function<void()> saved, QWidget* parent);

  // Fills the text box from OPTIONS.OPT and shows the window.
  void Form_Load();
  // Writes the text to OPTIONS.OPT and reads the options again; a line that would not read as
  // a number is refused and the file stays as it was. True when saved.
  bool btnSave_Click();
  void cmdRestoreDefault_Click();
  // Closes the window; an unsaved edit is saved, dropped or kept as the user answers.
  void btnQuit_Click();

  bool Changed() const { return isWindowModified(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void LoadText();
  void Reread();
  std::filesystem::path OptionsFile() const;

  Session& session_;
  UserInterface& ui_;
  std::function<void()> saved_;
  bool loading_ = false;
  QPlainTextEdit* txtContent_ = nullptr;
};

// "Change settings in .opt file": opens the Options window, or says "File Not Found" when
// OPTIONS.OPT cannot be read. An open window is brought to the front with its edits.
OptionsWindow* OpenOptionsWindow(OptionsWindow* open, Session& session, UserInterface& ui,
                                 std::function<void()> saved, QWidget* mainWindow);

}  // namespace kesmora::gui
