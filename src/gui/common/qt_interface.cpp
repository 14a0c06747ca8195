#include "gui/common/qt_interface.h"

#include "gui/common/window_geometry.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace kesmora::gui {

namespace {

// The window the box belonged to goes on in front, whatever the window manager activates.
void BackToParent(const QMessageBox& box) {
  QWidget* parent = box.parentWidget();
  if (!parent || !parent->isVisible()) return;
  parent->window()->raise();
  parent->window()->activateWindow();
}

}  // namespace

void QtInterface::ShowMessage(const Message& m) {
  QMessageBox::Icon icon = QMessageBox::Information;
  switch (m.icon) {
    case MessageIcon::Information: icon = QMessageBox::Information; break;
    case MessageIcon::Warning: icon = QMessageBox::Warning; break;
    case MessageIcon::Critical:
    case MessageIcon::Stop: icon = QMessageBox::Critical; break;
  }
  QMessageBox box(icon, QString::fromStdString(m.title), QString::fromStdString(m.text), QMessageBox::Ok, Parent());
  KeepTitleWhole(&box);
  // A busy cursor must not hide the pointer while the user reads the message.
  bool wasBusy = busyDepth_ > 0;
  if (wasBusy) QApplication::restoreOverrideCursor();
  box.exec();
  if (wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
  BackToParent(box);
}

Answer QtInterface::Ask(const Question& q) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(q.title), QString::fromStdString(q.text),
                  QMessageBox::NoButton, Parent());
  KeepTitleWhole(&box);
  struct Choice {
    const char* caption;
    QMessageBox::ButtonRole role;
    Answer answer;
  };
  std::vector<Choice> choices;
  switch (q.buttons) {
    case QuestionButtons::SaveDiscardCancel:
      choices = {{"&Save", QMessageBox::AcceptRole, Answer::Save},
                 {"&Discard", QMessageBox::DestructiveRole, Answer::Discard},
                 {"Cancel", QMessageBox::RejectRole, Answer::Cancel}};
      break;
    case QuestionButtons::YesNo:
      choices = {{"&Yes", QMessageBox::YesRole, Answer::Yes}, {"&No", QMessageBox::NoRole, Answer::No}};
      break;
    case QuestionButtons::ReplaceAppendExit:
      choices = {{"&Replace", QMessageBox::AcceptRole, Answer::Replace},
                 {"&Append", QMessageBox::AcceptRole, Answer::Append},
                 {"E&xit", QMessageBox::RejectRole, Answer::Exit}};
      break;
  }
  // Escape and the window's close button take the choice that changes nothing; Enter saves,
  // says no, or exits.
  const Answer safe = SafeAnswer(q);
  std::vector<QPushButton*> buttons;
  for (const Choice& c : choices) {
    QPushButton* b = box.addButton(c.caption, c.role);
    buttons.push_back(b);
    if (c.answer == safe) box.setEscapeButton(b);
    if (c.answer == Answer::Save || c.answer == Answer::No || c.answer == Answer::Exit) box.setDefaultButton(b);
  }
  bool wasBusy = busyDepth_ > 0;
  if (wasBusy) QApplication::restoreOverrideCursor();
  box.exec();
  if (wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
  BackToParent(box);
  for (size_t i = 0; i < buttons.size(); ++i)
    if (box.clickedButton() == buttons[i]) return choices[i].answer;
  return safe;
}

QWidget* QtInterface::Parent() const {
  // The window the user works in, so that it, not the main window, comes back to the front
  // when the box closes.
  QWidget* active = QApplication::activeModalWidget();
  if (!active) active = QApplication::activeWindow();
  return active && active->isVisible() ? active : parent_;
}

void QtInterface::SetBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    QApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}

}  // namespace kesmora::gui
