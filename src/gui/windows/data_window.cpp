#include "gui/windows/data_window.h"

#include "gui/common/file_dialogs.h"
#include "core/app/session.h"
#include "gui/common/window_geometry.h"
#include "core/app/user_interface.h"
#include "core/output/output_buffer.h"
#include "core/reference/text.h"
#include "gui/windows/print_preview.h"
#include "gui/windows/report_font.h"
#include "gui/common/text.h"

#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace kesmora::gui {

namespace {

constexpr double kFontStep = 1.5;  // Increase and Decrease change the size by half of it
constexpr double kSmallestFont = 8, kLargestFont = 12;

}  // namespace

DataWindow::DataWindow(Session& session, UserInterface& ui, FileDialogs& files, PrinterSetup& printer,
                       QWidget* mainWindow)
    : QMainWindow(mainWindow, Qt::Window),
      session_(session),
      ui_(ui),
      files_(files),
      printer_(printer),
      mainWindow_(mainWindow) {
  setObjectName("OutputD1");
  setWindowTitle(ToQString(session_.TitlePrefix()) + "Data");
  richText1_ = new QPlainTextEdit;
  richText1_->setObjectName("RichText1");
  richText1_->setReadOnly(true);
  richText1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  richText1_->setContextMenuPolicy(Qt::NoContextMenu);  // the right button goes to the main window
  richText1_->installEventFilter(this);
  richText1_->viewport()->installEventFilter(this);
  // Shown while the page is no longer among the lines that Save and Print data write.
  notInData_ = new QLabel(
      "This report is no longer in the data: \"Clear all data\" or a new \"Calculate planetary data\" emptied it. "
      "Save and Print data do not write it; run the aspectarian again to keep it.");
  notInData_->setObjectName("lblNotInData");
  notInData_->setWordWrap(true);
  notInData_->setMargin(6);
  notInData_->setAutoFillBackground(true);
  QPalette warning = notInData_->palette();
  warning.setColor(QPalette::Window, QColor(255, 240, 170));
  warning.setColor(QPalette::WindowText, Qt::black);
  notInData_->setPalette(warning);
  notInData_->hide();
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(notInData_);
  layout->addWidget(richText1_, 1);
  setCentralWidget(page);
  BuildMenus();
  ApplyTwipsRect(this, session_.settings.dataWindow);
  keeper_ = std::make_unique<GeometryKeeper>(this, [this] {
    if (!loading_) session_.settings.dataWindow = TwipsRectOf(this);
  });
  ApplySettingsFont();
  loading_ = false;
}

void DataWindow::BuildMenus() {
  auto add = [this](QMenu* menu, const char* name, const QString& caption, void (DataWindow::*handler)()) {
    QAction* action = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("mnuFile");
  add(file, "mnuFileSave", "&Save", &DataWindow::mnuFileSave_Click);
  add(file, "mnuFileSaveAs", "Save &As", &DataWindow::mnuFileSaveAs_Click);
  QMenu* fonts = menuBar()->addMenu("F&ont");
  fonts->setObjectName("mnuFonts");
  increase_ = add(fonts, "mnuFontsIncrease", "&Increase", &DataWindow::mnuFontsIncrease_Click);
  decrease_ = add(fonts, "mnuFontsDecrease", "&Decrease", &DataWindow::mnuFontsDecrease_Click);
  bold_ = add(fonts, "mnuFontsBold", "&Bold", &DataWindow::mnuFontsBold_Click);
  italic_ = add(fonts, "mnuFontsItalic", "I&talic", &DataWindow::mnuFontsItalic_Click);
  bold_->setCheckable(true);
  italic_->setCheckable(true);
  add(nullptr, "mnuClearBuffer", "&Clear all data", &DataWindow::mnuClearBuffer_Click);
  add(nullptr, "mnuPrint", "&Print page", &DataWindow::mnuPrint_Click);
  add(nullptr, "mnuPrintData", "Print &data", &DataWindow::mnuPrintData_Click);
}

bool DataWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    BringMainWindowToFront();
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    BringMainWindowToFront();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void DataWindow::BringMainWindowToFront() {
  if (!mainWindow_) return;
  mainWindow_->raise();
  mainWindow_->activateWindow();
}

void DataWindow::ApplySettingsFont() {
  const Settings& s = session_.settings;
  richText1_->setFont(ReportFont(s.fontSize, s.fontBold != 0, s.fontItalic != 0));
  bold_->setChecked(s.fontBold != 0);
  italic_->setChecked(s.fontItalic != 0);
}

void DataWindow::LoadPageFile(const std::filesystem::path& pageFile, bool keepPlace) {
  QFile file(QString::fromStdString(pageFile.string()));
  QString text;
  if (file.open(QIODevice::ReadOnly | QIODevice::Text)) text = QString::fromUtf8(file.readAll());
  // The vertical scroll bar counts lines, so the same line stays at the top.
  const int line = richText1_->verticalScrollBar()->value();
  const int column = richText1_->horizontalScrollBar()->value();
  richText1_->setPlainText(text);
  if (keepPlace) {
    richText1_->verticalScrollBar()->setValue(line);
    richText1_->horizontalScrollBar()->setValue(column);
  }
  UpdateTitle();
  show();
  raise();
}

void DataWindow::UpdateTitle() {
  // A run's report that the data no longer holds is marked, so that what the window shows never
  // passes for what Save and Print data write.
  const bool report = page_ == Page::RunReport && !richText1_->document()->isEmpty();
  const bool notInData = report && session_.output.AllLineCount() == 0;
  const bool stale = report && runReportStale_;
  notInData_->setVisible(notInData);
  setWindowTitle(ToQString(session_.TitlePrefix()) + "Data" +
                 (notInData ? " (not in the data to save or print)"
                  : stale   ? " (before the change of zodiac/houses)"
                            : ""));
}

void DataWindow::MarkRunReportStale(bool stale) {
  runReportStale_ = stale;
  UpdateTitle();
}

void DataWindow::ShowNewPage(const std::filesystem::path& pageFile, Page page) {
  page_ = page;
  runReportStale_ = false;
  ApplySettingsFont();
  LoadPageFile(pageFile, false);
}

void DataWindow::ShowPage() {
  if (isMinimized()) return;
  if (auto pageFile = session_.output.ShowPage(session_.programDir)) LoadPageFile(*pageFile, true);
}

void DataWindow::ClearText() {
  richText1_->clear();
  UpdateTitle();
}

bool DataWindow::NothingToSave() {
  if (session_.output.AllLineCount() != 0) return false;
  ui_.ShowMessage({MessageIcon::Warning, "Information", "No data to write to file."});
  return true;
}

void DataWindow::mnuFileSave_Click() {
  if (NothingToSave()) return;
  if (dataFileName_.empty()) {
    mnuFileSaveAs_Click();
    return;
  }
  WriteBuffer(dataFileName_);
}

void DataWindow::mnuFileSaveAs_Click() {
  if (NothingToSave()) return;
  FileRequest request{"Save As", ToQString((session_.programDir / "reports").string()),
                      ToQString(ProposedDataFileName(session_.person1.name)), "Kesmora Data Files (*.txt)", "txt"};
  auto chosen = files_.SaveFileName(this, request);
  if (!chosen) return;
  dataFileName_ = chosen->toStdString();
  WriteBuffer(dataFileName_);
}

void DataWindow::WriteBuffer(const std::string& file) {
  int linesPerPage = static_cast<int>(std::lround(session_.optionValues[option::LinesPerSavedPage]));
  if (WriteResult written = WriteFileAtomically(file, session_.output.SaveText(linesPerPage)); !written)
    ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(file, written)});
}

void DataWindow::StepFontSize(double step) {
  double& size = session_.settings.fontSize;
  bool inRange = step > 0 ? size < kLargestFont : size > kSmallestFont;
  if (inRange) {
    QFont font = richText1_->font();
    font.setPointSizeF(size + step);
    richText1_->setFont(font);
  }
  size += step;
  Refresh();
}

void DataWindow::mnuFontsIncrease_Click() { StepFontSize(kFontStep / 2); }
void DataWindow::mnuFontsDecrease_Click() { StepFontSize(-kFontStep / 2); }

void DataWindow::mnuFontsBold_Click() {
  QFont font = richText1_->font();
  font.setBold(!font.bold());
  richText1_->setFont(font);
  session_.settings.fontBold = font.bold() ? -1 : 0;
  bold_->setChecked(font.bold());
  Refresh();
}

void DataWindow::mnuFontsItalic_Click() {
  QFont font = richText1_->font();
  font.setItalic(!font.italic());
  richText1_->setFont(font);
  session_.settings.fontItalic = font.italic() ? -1 : 0;
  italic_->setChecked(font.italic());
  Refresh();
}

void DataWindow::Refresh() {
  if (session_.output.PageLineCount() == 0) return;
  ui_.SetBusy(true);
  ShowPage();
  const double size = session_.settings.fontSize;
  decrease_->setEnabled(size > kSmallestFont);
  increase_->setEnabled(size < kLargestFont);
  ui_.SetBusy(false);
}

void DataWindow::mnuClearBuffer_Click() {
  const Question question{QuestionButtons::YesNo, "Information!",
                          "Clear all data from the buffer? Save and Print data will then have nothing to write."};
  if (ui_.Ask(question) != Answer::Yes) return;
  session_.output.ClearAll();
  UpdateTitle();
  ui_.ShowMessage({MessageIcon::Warning, "Information!", "All data cleared from buffer."});
}

void DataWindow::mnuPrint_Click() {
  if (session_.output.PageLineCount() == 0) return;
  OpenPrintPreview(session_.output.PageLinesForOutput());
}

void DataWindow::mnuPrintData_Click() {
  if (session_.output.AllLineCount() == 0) {
    ui_.ShowMessage({MessageIcon::Warning, "Information", "No data to print."});
    return;
  }
  OpenPrintPreview(session_.output.AllLinesForOutput());
}

void DataWindow::OpenPrintPreview(const std::vector<std::string>& lines) {
  ui_.SetBusy(true);
  const auto printFile = PrintFilePath(session_.programDir);
  WriteResult written = WriteFileAtomically(printFile, JoinCrlf(lines));
  ui_.SetBusy(false);
  if (!written) {
    ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(printFile, written)});
    return;
  }
  // The data opens with the title of its run, which every printed page repeats.
  auto* preview = new PrintPreview(session_, ui_, printer_, this, QString::fromStdString(lines.front()));
  preview->setAttribute(Qt::WA_DeleteOnClose);
  preview->show();
}

}  // namespace kesmora::gui
