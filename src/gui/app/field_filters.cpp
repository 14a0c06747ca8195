#include "gui/app/field_filters.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace kesmora::gui {

bool KeyFilterObject::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Backspace) return false;
  QString text = key->text();
  // Keys that type nothing (arrows, Home, Tab) keep their usual meaning; the key sequences of
  // paste and the like type a control character and are refused with the rest.
  bool pasteShortcut = key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut);
  if (text.isEmpty() && !pasteShortcut) return false;
  if (pasteShortcut) return true;
  for (QChar c : text)
    if (!KeyAccepted(filter_, c.unicode())) return true;
  return false;
}

bool SelectAllOnFocus::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (auto* edit = qobject_cast<QLineEdit*>(watched))
      // After the focus event, or the click that gave the focus would clear the selection.
      QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
  }
  return QObject::eventFilter(watched, event);
}

void InstallKeyFilter(QLineEdit* edit, KeyFilter filter) {
  if (filter == KeyFilter::Any) return;
  edit->installEventFilter(new KeyFilterObject(filter, edit));
  edit->setContextMenuPolicy(Qt::NoContextMenu);  // no paste around the filter
  edit->setAcceptDrops(false);
}

void InstallSelectAllOnFocus(QLineEdit* edit) { edit->installEventFilter(new SelectAllOnFocus(edit)); }

}  // namespace kesmora::gui
