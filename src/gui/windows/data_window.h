#pragma once
#include "gui/common/window_geometry.h"

#include <memory>
// The data window: shows the current page of the output buffer (a run's report or a help
// text) and saves, clears and prints the buffer.
#include <QMainWindow>

#include <filesystem>
#include <string>
#include <vector>

class QAction;
class QLabel;
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

  // What a page holds: the report of a run, or another text (a help file).
  enum class Page { RunReport, Other };
  // A new page: the font of the settings, the page file's text, the window shown.
  void ShowNewPage(const std::filesystem::path& pageFile, Page page = Page::Other);
  // While the window shows a run's report, its title tells whether the zodiac or the houses
  // have changed since that run, and whether the data still holds the report (a calculation
  // empties the data).
  void MarkRunReportStale(bool stale);
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
  // The page file's text in the window; `keepPlace` keeps the lines in view where they were.
  void LoadPageFile(const std::filesystem::path& pageFile, bool keepPlace);
  void UpdateTitle();
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
  Page page_ = Page::Other;
  bool runReportStale_ = false;
  QPlainTextEdit* richText1_ = nullptr;
  QLabel* notInData_ = nullptr;
  QAction *increase_ = nullptr, *decrease_ = nullptr, *bold_ = nullptr, *italic_ = nullptr;
};

}  // namespace kesmora::gui
