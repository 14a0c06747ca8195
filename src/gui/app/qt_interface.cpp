#include "gui/app/qt_interface.h"

#include <QApplication>
#include <QMessageBox>

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
