#pragma once
// Key filters, select-all-on-focus and widths for the main window's text fields.
#include "core/persons/birth_data.h"

#include <QObject>
#include <QString>

#include <vector>

class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QWidget;

namespace kesmora::gui {

// Drops every typed or pasted character the field does not accept. Keys that type nothing
// (Tab, Delete, the arrows, Backspace) and shortcuts keep their usual meaning.
class KeyFilterObject : public QObject {
  Q_OBJECT
 public:
  KeyFilterObject(KeyFilter filter, QObject* parent) : QObject(parent), filter_(filter) {}
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KeyFilter filter_;
};

// Selects the whole text when the field receives the focus, so typing replaces it.
class SelectAllOnFocus : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

void InstallKeyFilter(QLineEdit* edit, KeyFilter filter);
void InstallSelectAllOnFocus(QLineEdit* edit);
// Inserts text as if it were typed: the characters the filter refuses are left out.
void InsertFiltered(QLineEdit* edit, KeyFilter filter, const QString& text);

// Tab into a set of option buttons lands on the one that is chosen, as arrow keys then move
// the choice; Tab out of it leaves the set.
void TabToCheckedButton(QButtonGroup* group);

// Gives the focus to the next (or previous) widget after `from` that Tab would reach.
void FocusNextInChain(QWidget* from, bool forward);
// Ctrl+Tab and Ctrl+Shift+Tab leave the widget as Tab does elsewhere (a grid or a text keeps Tab).
void CtrlTabLeaves(QWidget* widget);

// A list of check boxes laid out in `rows` rows, filled down the columns, as one Tab stop:
// Tab enters it at the box last in focus and leaves it at once; the arrow keys, Home and End
// move between the boxes shown (Left and Right by a column), Space ticks.
void OneTabStopForBoxes(const std::vector<QAbstractButton*>& boxes, int rows);

// A field of the main window with its key filter and select-all-on-focus. With `longest`
// given, the field is just wide enough to show that text whole in its own font.
QLineEdit* NewField(const char* objectName, KeyFilter filter, const QString& longest = {});
// The least width at which the field shows `text` whole.
int WidthForText(const QLineEdit* edit, const QString& text);

}  // namespace kesmora::gui
