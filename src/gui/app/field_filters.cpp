#include "gui/app/field_filters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

namespace kesmora::gui {

namespace {

// A key that types characters: printable text, and no Ctrl, Alt or Meta held (Ctrl with Alt is
// AltGr, which types). Tab arrives as "\t" and Delete as "\x7f"; they edit or move, not type.
bool TypesText(const QKeyEvent& key) {
  const auto held = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (held && held != (Qt::ControlModifier | Qt::AltModifier)) return false;
  const QString text = key.text();
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (!c.isPrint()) return false;
  return true;
}

QString Accepted(KeyFilter filter, const QString& text) {
  QString kept;
  for (QChar c : text)
    if (KeyAccepted(filter, c.unicode())) kept += c;
  return kept;
}

}  // namespace

bool KeyFilterObject::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (!edit || edit->isReadOnly()) return QObject::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Paste)) {
      InsertFiltered(edit, filter_, QApplication::clipboard()->text(QClipboard::Clipboard));
      return true;
    }
    if (!TypesText(*key)) return false;
    return Accepted(filter_, key->text()) != key->text();
  }
  // The X11 selection, pasted with the middle button.
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
      QApplication::clipboard()->supportsSelection()) {
    edit->deselect();
    InsertFiltered(edit, filter_, QApplication::clipboard()->text(QClipboard::Selection));
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void InsertFiltered(QLineEdit* edit, KeyFilter filter, const QString& text) {
  QString kept = Accepted(filter, text);
  if (!kept.isEmpty()) edit->insert(kept);
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
  edit->setContextMenuPolicy(Qt::NoContextMenu);  // its Paste would pass the filter by
  edit->setAcceptDrops(false);
}

void InstallSelectAllOnFocus(QLineEdit* edit) { edit->installEventFilter(new SelectAllOnFocus(edit)); }

namespace {

class CheckedButtonTakesTab : public QObject {
 public:
  explicit CheckedButtonTakesTab(QButtonGroup* group) : QObject(group), group_(group) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::FocusIn) return false;
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    QAbstractButton* checked = group_->checkedButton();
    if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && checked && checked != watched &&
        checked->isVisible() && checked->isEnabled())
      QTimer::singleShot(0, checked, [checked, reason] { checked->setFocus(reason); });
    return false;
  }

 private:
  QButtonGroup* group_;
};

}  // namespace

void TabToCheckedButton(QButtonGroup* group) {
  auto* filter = new CheckedButtonTakesTab(group);
  for (QAbstractButton* button : group->buttons()) button->installEventFilter(filter);
}

int WidthForText(const QLineEdit* edit, const QString& text) {
  // As QLineEdit sizes itself: the text, the line edit's own margin of 2 on either side, the
  // text margins and a pixel for the cursor, wrapped in the style's frame.
  constexpr int kLineEditMargin = 2;
  const QMargins margins = edit->textMargins();
  const int contents = edit->fontMetrics().horizontalAdvance(text) + 2 * kLineEditMargin + margins.left() +
                       margins.right() + 1;
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  option.features = QStyleOptionFrame::None;
  const QSize size = edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                                     QSize(contents, edit->fontMetrics().height()), edit);
  return size.width();
}

QLineEdit* NewField(const char* objectName, KeyFilter filter, const QString& longest) {
  auto* edit = new QLineEdit;
  edit->setObjectName(objectName);
  InstallKeyFilter(edit, filter);
  InstallSelectAllOnFocus(edit);
  if (!longest.isEmpty()) {
    edit->setFixedWidth(WidthForText(edit, longest));
  }
  return edit;
}

}  // namespace kesmora::gui
