#pragma once
// One block of birth data on the main window, "Birth Data - Person 1 (Natal)" or its twin for
// Person 2: the fields with their key rules, the option buttons, and the buttons that work on
// the fields alone ("Adjust TZ", "Minus 1", East / West, Unknown). "&Now", "&Save" and "Atlas"
// need the clock, the names file or the atlas, so the block only says that they were pressed.
#include "core/persons/person_fields.h"
#include "core/reference/format.h"

#include <QGroupBox>

#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kesmora::gui {

class PersonBlock : public QGroupBox {
  Q_OBJECT
 public:
  // The date fields stand, and take Tab, in the order the user's dates are written.
  explicit PersonBlock(Person person, DateOrder order = DateOrder::MonthDayYear, QWidget* parent = nullptr);

  Person Which() const { return person_; }
  // The fields as plain data, and back.
  void Read(PersonFields& fields) const;
  void Show(const PersonFields& fields);
  // Runs one of the core's field rules on what the block shows.
  template <typename Change>
  void Apply(Change change) {
    PersonFields f;
    Read(f);
    change(f);
    Show(f);
  }

  QLineEdit* NameField() const { return name_; }
  // The block's controls in the order Tab visits them.
  const std::vector<QWidget*>& TabOrder() const { return tabOrder_; }

 signals:
  void nowClicked();
  void saveClicked();
  void atlasClicked();
  void nameEdited(const QString& name);
  // Any field or option of the block changed, by the user or by the program.
  void edited();

 private:
  void CreateControls();
  // The fields in rows as a form of birth data reads; the date in the order dates are written.
  void LayOut();
  void ConnectRules();

  const Person person_;
  const DateOrder order_;
  QLineEdit *name_ = nullptr, *month_ = nullptr, *day_ = nullptr, *year_ = nullptr, *hour_ = nullptr;
  QLineEdit *minute_ = nullptr, *timeZone_ = nullptr, *longDeg_ = nullptr, *longMin_ = nullptr;
  QLineEdit *latDeg_ = nullptr, *latMin_ = nullptr, *stateCountry_ = nullptr, *city_ = nullptr;
  QRadioButton *am_ = nullptr, *pm_ = nullptr, *unknown_ = nullptr, *east_ = nullptr, *west_ = nullptr;
  QRadioButton *north_ = nullptr, *south_ = nullptr;
  QPushButton *adjustTz_ = nullptr, *minusOne_ = nullptr, *now_ = nullptr, *atlas_ = nullptr, *save_ = nullptr;
  std::vector<QWidget*> tabOrder_;
};

}  // namespace kesmora::gui
