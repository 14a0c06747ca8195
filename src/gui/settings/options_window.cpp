#include "gui/settings/options_window.h"

#include "core/app/session.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "core/settings/options_file.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kesmora::gui {

namespace {

constexpr const char* kOptionsFile = "OPTIONS.OPT";
constexpr const char* kMasterFile = "OPTIONS.MST";

void CannotDoIt(UserInterface& ui) {
  ui.ShowMessage({MessageIcon::Information, "Warning!", "Error in operation. Cannot do what is requested."});
}

}  // namespace

OptionsWindow::OptionsWindow(Session& session, UserInterface& ui, std::function<void()> saved, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui), saved_(std::move(saved)) {
  setObjectName("Options");
  setWindowTitle(QString("Edit: %1[*]").arg(kOptionsFile));
  txtContent_ = new QPlainTextEdit;
  txtContent_->setObjectName("txtContent");
  txtContent_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtContent_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtContent_->setTabChangesFocus(true);  // the file holds no tabs: Tab goes on to the buttons
  auto* btnSave = new QPushButton("&Save");
  btnSave->setObjectName("btnSave");
  auto* cmdRestoreDefault = new QPushButton("&Restore Default Settings");
  cmdRestoreDefault->setObjectName("cmdRestoreDefault");
  auto* btnQuit = new QPushButton("&Quit");
  btnQuit->setObjectName("btnQuit");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnSave);
  buttons->addWidget(cmdRestoreDefault);
  buttons->addStretch();
  buttons->addWidget(btnQuit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(txtContent_);
  layout->addLayout(buttons);
  resize(640, 520);

  connect(txtContent_, &QPlainTextEdit::textChanged, this, [this] {
    if (!loading_) setWindowModified(true);
  });
  connect(btnSave, &QPushButton::clicked, this, &OptionsWindow::btnSave_Click);
  connect(cmdRestoreDefault, &QPushButton::clicked, this, &OptionsWindow::cmdRestoreDefault_Click);
  connect(btnQuit, &QPushButton::clicked, this, &OptionsWindow::btnQuit_Click);
}

std::filesystem::path OptionsWindow::OptionsFile() const { return FindIgnoringCase(session_.programDir, kOptionsFile); }

void OptionsWindow::Form_Load() {
  LoadText();
  show();
}

void OptionsWindow::LoadText() {
  // Every line followed by a line break; the box shows them with plain line feeds.
  QString text;
  if (auto lines = ReadLines(OptionsFile()))
    for (const std::string& line : *lines) text += QString::fromStdString(line) + "\n";
  loading_ = true;
  txtContent_->setPlainText(text);
  loading_ = false;
  setWindowModified(false);
}

void OptionsWindow::Reread() {
  ReadOptionsFile(session_.optionValues, OptionsFile());
  if (saved_) saved_();
}

bool OptionsWindow::btnSave_Click() {
  std::string text = txtContent_->toPlainText().toStdString();
  if (auto fault = CheckOptionsText(text)) {
    ui_.ShowMessage({MessageIcon::Warning, "Warning!", OptionsFaultMessage(*fault, kOptionsFile)});
    return false;
  }
  // CR LF between the lines, none after the last.
  if (!text.empty() && text.back() == '\n') text.pop_back();
  std::string file;
  for (char c : text) {
    if (c == '\n') file += CRLF;
    else file += c;
  }
  if (WriteResult written = WriteFileAtomically(OptionsFile(), file); !written) {
    ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(OptionsFile(), written)});
    return false;
  }
  setWindowModified(false);
  Reread();
  return true;
}

void OptionsWindow::cmdRestoreDefault_Click() {
  auto master = ReadWholeFile(FindIgnoringCase(session_.programDir, kMasterFile));
  if (!master || !WriteFileAtomically(OptionsFile(), *master)) {
    CannotDoIt(ui_);
    return;
  }
  LoadText();
  Reread();
}

void OptionsWindow::btnQuit_Click() { close(); }

void OptionsWindow::closeEvent(QCloseEvent* event) {
  if (isWindowModified()) {
    Answer a = ui_.Ask({QuestionButtons::SaveDiscardCancel, "Options",
                        std::string("The text of ") + kOptionsFile + " has been changed. Save the changes?"});
    if (a == Answer::Cancel || (a == Answer::Save && !btnSave_Click())) {
      event->ignore();
      return;
    }
  }
  event->accept();
}

OptionsWindow* OpenOptionsWindow(OptionsWindow* open, Session& session, UserInterface& ui,
                                 std::function<void()> saved, QWidget* mainWindow) {
  if (!FileExists(FindIgnoringCase(session.programDir, kOptionsFile))) {
    ui.ShowMessage({MessageIcon::Information, "Warning!", "File Not Found"});
    return open;
  }
  if (open) {
    open->show();
    open->raise();
    open->activateWindow();
    return open;
  }
  auto* window = new OptionsWindow(session, ui, std::move(saved), mainWindow);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->Form_Load();
  return window;
}

}  // namespace kesmora::gui
