#pragma once
// The editor of one condition of an election: what it asks (an aspect, the void Moon, a sign,
// a mansion, a house, the hits in force, a time or weekdays) and its role, every name chosen
// from the program's own lists.
#include "core/search/election.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class QStackedWidget;
class QTimeEdit;

namespace kesmora {
class UserInterface;
}

namespace kesmora::gui {

class ConditionDialog : public QDialog {
  Q_OBJECT
 public:
  // The kinds in the order of the list "cboKind", as the Condition variant holds them.
  static constexpr int kKinds = static_cast<int>(std::variant_size_v<Condition>);

  ConditionDialog(const ReferenceTables& tables, UserInterface& ui, QWidget* parent);

  // Shows an item in the controls; Item reads them back.
  void SetItem(const ElectionItem& item);
  // The item of the controls; nothing (and a message) where a choice is missing.
  std::optional<ElectionItem> Item() const;

  void accept() override;

 private:
  QComboBox* NewPointList(const char* name) const;
  QWidget* BuildAspectPage();
  void BuildPages();
  QWidget* BuildPointPage(const char* listName, QComboBox*& list);

  const ReferenceTables& tables_;
  UserInterface& ui_;
  QComboBox *cboRole_ = nullptr, *cboKind_ = nullptr;
  QDoubleSpinBox* spnWeight_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QComboBox *cboTransitPoint_ = nullptr, *cboAspect_ = nullptr, *cboOtherPoint_ = nullptr, *cboOtherChart_ = nullptr,
            *cboMotion_ = nullptr;
  QDoubleSpinBox* spnOrb_ = nullptr;
  QComboBox *cboRetrogradeBody_ = nullptr, *cboStationBody_ = nullptr, *cboSignPoint_ = nullptr,
            *cboHousePoint_ = nullptr, *cboMansion_ = nullptr, *cboPada_ = nullptr;
  QDoubleSpinBox* spnStationHours_ = nullptr;
  std::array<QCheckBox*, 12> chkSigns_{};
  QSpinBox *spnHouse_ = nullptr, *spnHits_ = nullptr;
  QTimeEdit *tedFrom_ = nullptr, *tedTo_ = nullptr;
  std::array<QCheckBox*, 7> chkWeekdays_{};
};

}  // namespace kesmora::gui
