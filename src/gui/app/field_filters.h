#pragma once
// Key filters and select-all-on-focus for the main window's text fields.
#include "core/persons/birth_data.h"

#include <QObject>

class QLineEdit;

namespace kesmora::gui {

// Drops every typed character the field does not accept (Backspace always passes).
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

}  // namespace kesmora::gui
