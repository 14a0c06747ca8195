#include "gui/app/field_filters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

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

namespace {

// The first widget after (or before) `from` in the focus chain that Tab would reach, skipping
// those of `skip`.
void FocusNextInChain(QWidget* from, bool forward, const std::vector<QAbstractButton*>& skip) {
  QWidget* const window = from->window();
  QWidget* w = from;
  for (int guard = 0; guard < 10000; ++guard) {
    w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
    if (!w || w == from) return;
    if (std::find(skip.begin(), skip.end(), w) != skip.end()) continue;
    if (w->window() == window && w->isVisibleTo(window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
        !w->focusProxy()) {
      w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return;
    }
  }
}

class CtrlTabFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier) || (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
      return false;
    const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
    FocusNextInChain(static_cast<QWidget*>(watched), !back, {});
    return true;
  }
};

class BoxesAsOneTabStop : public QObject {
 public:
  BoxesAsOneTabStop(const std::vector<QAbstractButton*>& boxes, int rows, QObject* parent)
      : QObject(parent), boxes_(boxes), rows_(std::max(rows, 1)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* box = qobject_cast<QAbstractButton*>(watched);
    const int at = IndexOf(box);
    if (at < 0) return false;
    if (event->type() == QEvent::FocusIn) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      const bool tabbed = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
      QAbstractButton* current = Usable(current_) ? boxes_[static_cast<size_t>(current_)] : FirstUsable();
      if (tabbed && current && current != box) {
        QTimer::singleShot(0, current, [current, reason] { current->setFocus(reason); });
      } else {
        current_ = at;
        ShowInScrollArea(box);
      }
      return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (key->key()) {
      case Qt::Key_Tab: return Leave(!(key->modifiers() & Qt::ShiftModifier));
      case Qt::Key_Backtab: return Leave(false);
      case Qt::Key_Up: return MoveTo(Step(at, -1));
      case Qt::Key_Down: return MoveTo(Step(at, 1));
      case Qt::Key_Left: return MoveTo(at - rows_ >= 0 ? Step(at, -rows_) : -1);
      case Qt::Key_Right: return MoveTo(at + rows_ < static_cast<int>(boxes_.size()) ? Step(at, rows_) : -1);
      case Qt::Key_Home: return MoveTo(Step(-1, 1));
      case Qt::Key_End: return MoveTo(Step(static_cast<int>(boxes_.size()), -1));
      default: return false;
    }
  }

 private:
  int IndexOf(const QAbstractButton* box) const {
    auto it = std::find(boxes_.begin(), boxes_.end(), box);
    return it == boxes_.end() ? -1 : static_cast<int>(it - boxes_.begin());
  }
  bool Usable(int k) const {
    if (k < 0 || k >= static_cast<int>(boxes_.size())) return false;
    const QAbstractButton* b = boxes_[static_cast<size_t>(k)];
    return b->isVisibleTo(b->window()) && b->isEnabled();
  }
  QAbstractButton* FirstUsable() const {
    const int k = Step(-1, 1);
    return k >= 0 ? boxes_[static_cast<size_t>(k)] : nullptr;
  }
  // The next usable box `by` boxes on, or the nearest usable one short of the end; -1 for none.
  int Step(int from, int by) const {
    int found = -1;
    const int n = static_cast<int>(boxes_.size());
    const int dir = by > 0 ? 1 : -1;
    for (int k = from + dir; k >= 0 && k < n; k += dir) {
      if (!Usable(k)) continue;
      found = k;
      if (std::abs(k - from) >= std::abs(by)) break;
    }
    return found;
  }
  bool MoveTo(int k) {
    if (k >= 0) boxes_[static_cast<size_t>(k)]->setFocus(Qt::OtherFocusReason);
    return true;
  }
  // Focus to the first widget before or after the whole list that Tab would reach.
  bool Leave(bool forward) {
    FocusNextInChain(forward ? boxes_.back() : boxes_.front(), forward, boxes_);
    return true;
  }
  static void ShowInScrollArea(QWidget* box) {
    for (QWidget* p = box->parentWidget(); p; p = p->parentWidget())
      if (auto* scroll = qobject_cast<QScrollArea*>(p)) {
        scroll->ensureWidgetVisible(box, 0, 2);
        return;
      }
  }

  std::vector<QAbstractButton*> boxes_;
  int rows_;
  int current_ = -1;
};

}  // namespace

void FocusNextInChain(QWidget* from, bool forward) { FocusNextInChain(from, forward, {}); }

void CtrlTabLeaves(QWidget* widget) { widget->installEventFilter(new CtrlTabFilter(widget)); }

void OneTabStopForBoxes(const std::vector<QAbstractButton*>& boxes, int rows) {
  if (boxes.empty()) return;
  auto* filter = new BoxesAsOneTabStop(boxes, rows, boxes.front());
  for (QAbstractButton* box : boxes) box->installEventFilter(filter);
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
