#include "gui/persons/name_edit.h"

#include "core/app/user_interface.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kesmora::gui {

NameEdit::NameEdit(const std::filesystem::path& file, UserInterface& ui, QWidget* parent)
    : QDialog(parent), file_(file), ui_(ui) {
  setObjectName("NameEdit");
  setAttribute(Qt::WA_DeleteOnClose);
  txtContent_ = new QPlainTextEdit;
  txtContent_->setObjectName("txtContent");
  txtContent_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtContent_->setTabChangesFocus(true);  // records hold no tabs: Tab goes on to the buttons
  QFont courier("Courier New");
  courier.setStyleHint(QFont::TypeWriter);
  txtContent_->setFont(courier);
  auto* save = new QPushButton("Save");
  save->setObjectName("btnSave");
  auto* quit = new QPushButton("Quit");
  quit->setObjectName("btnQuit");
  connect(save, &QPushButton::clicked, this, &NameEdit::btnSave_Click);
  connect(quit, &QPushButton::clicked, this, &NameEdit::btnQuit_Click);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new QLabel("Ctrl-C to copy.  Ctrl-X to cut.  Ctrl-V to paste."));
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(quit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(txtContent_);
  layout->addLayout(buttons);
  resize(720, 480);
  Form_Load();
}

void NameEdit::Form_Load() {
  ui_.SetBusy(true);
  shown_ = ReadNamesFileForEditing(file_);
  if (!shown_.read)
    ui_.ShowMessage({MessageIcon::Stop, "Error!", "I cannot open the names file " + file_.string() + "."});
  txtContent_->setPlainText(QString::fromStdString(shown_.text));
  // What the text box gives back unedited is what counts as "not changed".
  shown_.text = txtContent_->toPlainText().toStdString();
  setWindowTitle("Edit: " + QString::fromStdString(file_.string()));
  ui_.SetBusy(false);
}

void NameEdit::btnSave_Click() {
  // A file that could not be read is not written over with an empty text.
  if (!shown_.read && txtContent_->toPlainText().isEmpty()) return;
  if (SaveEditedNamesFile(file_, shown_, txtContent_->toPlainText().toStdString(), ui_)) {
    shown_ = ReadNamesFileForEditing(file_);
    shown_.text = txtContent_->toPlainText().toStdString();
  }
}

void NameEdit::btnQuit_Click() { close(); }

void NameEdit::done(int result) {
  QDialog::done(result);
  emit quit();
}

}  // namespace kesmora::gui
