// The main window's menus and what their entries open: selection and list files, the list
// editors, the month step, the options, the tip of the day, the help texts and the about box.
#include "gui/app/main_window.h"

#include "core/app/list_files.h"
#include "core/app/names_commands.h"
#include "core/app/user_interface.h"
#include "core/reference/text.h"
#include "gui/app/person_block.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/text.h"
#include "gui/search/list_file_dialog.h"
#include "gui/search/target_list_window.h"
#include "gui/settings/options_window.h"
#include "gui/settings/selection_menu.h"
#include "gui/windows/about_box.h"
#include "gui/windows/help_window.h"
#include "gui/windows/tip_window.h"

#include <QAction>
#include <QCheckBox>
#include <QMenuBar>

namespace kesmora::gui {

void MainWindow::BuildMenus() {
  auto add = [this](QMenu* menu, const char* name, const QString& caption, bool enabled,
                    QKeySequence shortcut = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setEnabled(enabled);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
  };
  QMenu* file = menuBar()->addMenu("&File");
  connect(add(file, "mnuFileNewFil", "Make new .FIL file", true, QKeySequence("Ctrl+N")), &QAction::triggered, this,
          &MainWindow::mnuFileNewFil_Click);
  connect(add(file, "mnuFileLoad", "Load .opt file", true), &QAction::triggered, this, &MainWindow::mnuFileLoad_Click);
  connect(add(file, "mnuFileSave", "Save .opt file", true), &QAction::triggered, this, &MainWindow::mnuFileSave_Click);
  connect(add(file, "mnuFileLoad_apt_file", "Load .apt file", true), &QAction::triggered, this,
          &MainWindow::mnuFileLoad_apt_file_Click);
  connect(add(file, "mnuFileLoad_t2n_file", "Load .t2n file", true), &QAction::triggered, this,
          &MainWindow::mnuFileLoad_t2n_file_Click);
  file->addSeparator();
  connect(add(file, "mnuFileExit", "Exit", true), &QAction::triggered, this, &QWidget::close);

  QMenu* update = menuBar()->addMenu("&Update");
  connect(add(update, "mnuUpdate_back_1_month", "Go back a month", true, QKeySequence(Qt::Key_F2)),
          &QAction::triggered, this, &MainWindow::mnuUpdate_back_1_month_Click);
  connect(add(update, "mnuUpdate_forward_1_month", "Go forward a month", true, QKeySequence(Qt::Key_F3)),
          &QAction::triggered, this, &MainWindow::mnuUpdate_forward_1_month_Click);
  update->addSeparator();
  connect(add(update, "mnuFindFavourable", "F&ind favourable times...", true, QKeySequence(Qt::Key_F4)),
          &QAction::triggered, this, &MainWindow::cmdFindFavourable_Click);

  QMenu* lists = menuBar()->addMenu("&Lists");
  auto addEditor = [&](const char* name, const QString& caption, ListKind kind) {
    connect(add(lists, name, caption, true), &QAction::triggered, this, [this, kind] { OpenListEditor(kind); });
  };
  addEditor("mnuLunarMansions", "Set t. planets in lunar mansions", ListKind::LunarMansions);
  addEditor("mnuMidpoints_t_to_n", "Set t. mp's to n. planets", ListKind::MidpointsToNatal);
  addEditor("mnuMidpoints_t_to_t", "Set t. mp's to t. planets", ListKind::MidpointsToTransit);
  addEditor("mnuMidpoints_t_to_nmp", "Set natal midpoints", ListKind::NatalMidpoints);

  QMenu* options = menuBar()->addMenu("&Option Settings");
  connect(add(options, "mnuOptionOptionSettings", "Change settings in .opt file", true), &QAction::triggered, this,
          &MainWindow::mnuOptionOptionSettings_Click);
  BuildHelpMenu();
}

void MainWindow::BuildHelpMenu() {
  auto add = [this](QMenu* menu, const char* name, const QString& caption, const char* helpFile) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (helpFile)
      connect(a, &QAction::triggered, this, [this, helpFile, caption] { ShowHelpText(helpFile, caption); });
    return a;
  };
  QMenu* help = menuBar()->addMenu("&Help");
  connect(add(help, "mnuHelpTipoftheDay", "Tip of the Day", nullptr), &QAction::triggered, this,
          &MainWindow::mnuHelpTipoftheDay_Click);
  add(help, "mnuMainMenuHelp", "Kesmora Main Menu", "Kesmora.TXT");
  add(help, "mnuHelpGraph", "Graph Window", "INSTRUCTIONS.TXT");
  add(help, "mnuHelpOptions", "Options Window", "OPTIONS.TXT");
  add(help, "mnuHelpOutputD1", "Data Window", "OUTPUTD1.TXT");
  add(help, "mnuHelpSelect", "Select A File Window", "SELECT.TXT");
  add(help, "mnuHelpPrntfile", "File To Print  Window", "PRNTFILE.TXT");
  QMenu* hints = help->addMenu("Hints");
  add(hints, "mnuHintsHow", "How Do I...?", "HOW_DO_I.TXT");
  add(hints, "mnuHintsReadingList", "Reading List", "READING.TXT");
  add(hints, "mnuHintsTips", "Tips", "TIPS.TXT");
  add(help, "mnuShortcutKeys", "Shortcut Keys", "SHORTCUT.TXT");
  add(help, "mnuHelpRevisions", "Revision History", "REVISION.TXT");
  connect(add(help, "mnuHelpAbout", "About", nullptr), &QAction::triggered, this, &MainWindow::mnuHelpAbout_Click);
}

void MainWindow::mnuFileLoad_Click() {
  StoreWidgetsInSession();
  if (!LoadSelectionFile(this, *files_, session_, ui_)) return;
  ShowSelectionInBoxes();
}

void MainWindow::mnuFileSave_Click() {
  StoreWidgetsInSession();
  SaveSelectionFile(this, *files_, session_, ui_);
}

void MainWindow::mnuFileLoad_apt_file_Click() {
  Get_list_filename(this, *files_, session_, ListKind::AuspiciousPoints, ListDialogMode::Open);
}

void MainWindow::mnuFileLoad_t2n_file_Click() {
  Get_list_filename(this, *files_, session_, ListKind::DegreePairs, ListDialogMode::Open);
}

void MainWindow::OpenListEditor(ListKind kind) {
  QPointer<TargetListWindow>& editor = listEditors_[static_cast<size_t>(kind)];
  // The window is opened anew; edits not yet saved are asked about first.
  if (editor && !editor->ChangesSettled()) {
    editor->raise();
    editor->activateWindow();
    return;
  }
  delete editor;
  editor = new TargetListWindow(session_, ui_, *files_, kind, this);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  editor->Form_Load();
}

void MainWindow::StepMonth(int step) {
  FieldsFromBlock(Person::Two);
  if (!kesmora::StepMonth(session_.person2, step)) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", DiurnalInputError});
    return;
  }
  BlockFromFields(Person::Two);
  cmdCalculate_Click();
  cmdCalc_aspectarian_Click();
}

void MainWindow::mnuUpdate_back_1_month_Click() { StepMonth(-1); }
void MainWindow::mnuUpdate_forward_1_month_Click() { StepMonth(1); }

void MainWindow::mnuOptionOptionSettings_Click() {
  options_ = OpenOptionsWindow(options_, session_, ui_, [this] { UpdateTitle(); }, this);
}

void MainWindow::mnuHelpTipoftheDay_Click() {
  if (!tip_) {
    tip_ = new TipWindow(session_, ui_, this);
    tip_->setAttribute(Qt::WA_DeleteOnClose);
  }
  tip_->show();
  tip_->raise();
}

void MainWindow::mnuHelpAbout_Click() {
  auto* about = new AboutBox(this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->open();
}

void MainWindow::ShowHelpText(const std::string& name, const QString& caption) {
  if (!help_) {
    help_ = new HelpWindow(this);
    help_->setAttribute(Qt::WA_DeleteOnClose);
  }
  const auto file = FindIgnoringCase(session_.programDir, name);
  if (!help_->ShowText(file, caption.isEmpty() ? ToQString(name) : QString(caption).remove('&')))
    ui_.ShowMessage({MessageIcon::Critical, "Error", "File not found: " + file.string()});
}

void MainWindow::mnuFileNewFil_Click() {
  FileRequest request{"Make new .FIL file", ToQString(session_.programDir.string()), "NEW.FIL",
                      "Data Files (*.FIL *.fil)", "fil"};
  const std::optional<QString> chosen = files_->SaveFileName(this, request);
  if (!chosen) return;
  MakeNewNamesFile(ToStdString(*chosen), ui_);
}

}  // namespace kesmora::gui
