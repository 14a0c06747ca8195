#include "gui/app/qt_interface.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace kesmora::gui {

void QtInterface::ShowMessage(const Message& m) {
  QMessageBox::Icon icon = QMessageBox::Information;
  switch (m.icon) {
    case MessageIcon::Information: icon = QMessageBox::Information; break;
    case MessageIcon::Warning: icon = QMessageBox::Warning; break;
    case MessageIcon::Critical:
    case MessageIcon::Stop: icon = QMessageBox::Critical; break;
  }
  QMessageBox box(icon, QString::fromStdString(m.title), QString::fromStdString(m.text), QMessageBox::Ok, parent_);
  // A busy cursor must not hide the pointer while the user reads the message.
  bool wasBusy = busyDepth_ > 0;
  if (wasBusy) QApplication::restoreOverrideCursor();
  box.exec();
  if (wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
}

Answer QtInterface::Ask(const Question& q) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(q.title), QString::fromStdString(q.text),
                  QMessageBox::NoButton, parent_);
  struct Choice {
    QMessageBox::StandardButton button;
    const char* caption;
    Answer answer;
  };
  const std::vector<Choice> choices =
      q.buttons == QuestionButtons::SaveDiscardCancel
          ? std::vector<Choice>{{QMessageBox::Save, "&Save", Answer::Save},
                                {QMessageBox::Discard, "&Discard", Answer::Discard},
                                {QMessageBox::Cancel, "Cancel", Answer::Cancel}}
          : std::vector<Choice>{{QMessageBox::Yes, "&Yes", Answer::Yes}, {QMessageBox::No, "&No", Answer::No}};
  for (const Choice& c : choices) box.addButton(c.button)->setText(c.caption);
  // Escape takes the choice that changes nothing; Enter saves, or says no.
  const Answer safe = SafeAnswer(q);
  for (const Choice& c : choices) {
    if (c.answer == safe) box.setEscapeButton(c.button);
    if (c.answer == Answer::Save || c.answer == Answer::No) box.setDefaultButton(c.button);
  }
  bool wasBusy = busyDepth_ > 0;
  if (wasBusy) QApplication::restoreOverrideCursor();
  box.exec();
  if (wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto clicked = box.standardButton(box.clickedButton());
  for (const Choice& c : choices)
    if (c.button == clicked) return c.answer;
  return safe;
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
