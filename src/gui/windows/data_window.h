#pragma once
#include "gui/app/window_geometry.h"

#include <memory>
// The data window: shows the current page of the output buffer (a run's report or a help
// text) and saves, clears and prints the buffer.
#include <QMainWindow>

#include <filesystem>
#include <string>
#include <vector>

class QAction;
class QPlainTextEdit;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class FileDialogs;
class PrinterSetup;

class DataWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `mainWindow` is brought to the front by Escape and the right mouse button.
  DataWindow(Session& session, UserInterface& ui, FileDialogs& files, PrinterSetup& printer,
             QWidget* mainWindow);

  // A new page: the font of the settings, the page file's text, the window shown.
  void ShowNewPage(const std::filesystem::path& pageFile);
  // The output buffer's ShowPage and the page file in the window; nothing while minimised.
  void ShowPage();
  void ClearText();

  void mnuFileSave_Click();
  void mnuFileSaveAs_Click();
  void mnuFontsIncrease_Click();
  void mnuFontsDecrease_Click();
  void mnuFontsBold_Click();
  void mnuFontsItalic_Click();
  void mnuClearBuffer_Click();
  void mnuPrint_Click();
  void mnuPrintData_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void LoadPageFile(const std::filesystem::path& pageFile);
  void ApplySettingsFont();
  void StepFontSize(double step);
  void Refresh();
  void WriteBuffer(const std::string& file);
  void OpenPrintPreview(const std::vector<std::string>& lines);
  void BringMainWindowToFront();
  bool NothingToSave();  // says so when the buffer is empty

  Session& session_;
  UserInterface& ui_;
  FileDialogs& files_;
  PrinterSetup& printer_;
  QWidget* mainWindow_;
  bool loading_ = true;
  std::unique_ptr<GeometryKeeper> keeper_;
  std::string dataFileName_;  // the file last chosen with "Save As"
  QPlainTextEdit* richText1_ = nullptr;
  QAction *increase_ = nullptr, *decrease_ = nullptr, *bold_ = nullptr, *italic_ = nullptr;
};

}  // namespace kesmora::gui
