#pragma once
// The main window: both persons' birth data, the names list, the planet grid and every choice
// of a run. It turns its widgets into the session's plain data and calls the core.
#include "app/session.h"
#include "persons/birth_data.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;
class QAction;

namespace kesmora {
class UserInterface;
}

namespace kesmora::gui {

// The widgets of one block of birth data.
struct PersonBlock {
  QLineEdit *name, *month, *day, *year, *hour, *minute, *timeZone;
  QLineEdit *longDeg, *longMin, *latDeg, *latMin, *stateCountry, *city;
  QRadioButton *am, *pm, *unknown, *east, *west, *north, *south;
  QPushButton *adjustTz, *minusOne, *now, *atlas, *save;
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  using Clock = std::function<LocalDateTime()>;
  MainWindow(Session& session, UserInterface& ui, Clock clock = CurrentLocalTime, QWidget* parent = nullptr);

  // Start-up after the session is loaded: settings into the widgets, window shown, both persons
  // "Now", names list, last persons, and the first calculation.
  void Start();

  // Event handlers under the names the rest of the program knows them by.
  void cmdCalculate_Click();
  void cmdNow_Click();
  void cmdDiurnalNow_Click();
  void NamesOnFile_Click();
  void NamesOnFile_DblClick();
  void mnuUpdate_back_1_month_Click();
  void mnuUpdate_forward_1_month_Click();
  void Load_names_list();
  void SetupPlanetDataGrid();

  // Widgets into the session and back.
  void StoreWidgetsInSession();
  void ShowSessionInWidgets();
  void UpdateTitle();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QWidget* BuildPersonGroup(Person person);
  QWidget* BuildNamesGroup();
  QWidget* BuildPlanetDataGroup();
  QWidget* BuildCheckBoxGroup(const QString& title, const QString& prefix, int count,
                              std::vector<QCheckBox*>& boxes, int columns);
  QWidget* BuildZodiacGroup();
  QWidget* BuildHouseGroup();
  QWidget* BuildPeriodsGroup();
  QWidget* BuildOrbsGroup();
  QWidget* BuildBottomButtons();
  void BuildMenus();
  void ConnectPersonBlock(Person person);
  void CaptionCheckBoxes();

  PersonBlock& Block(Person person) { return person == Person::One ? p1_ : p2_; }
  PersonFields& Fields(Person person) { return person == Person::One ? session_.person1 : session_.person2; }
  void FieldsFromBlock(Person person);
  void BlockFromFields(Person person);
  void LoadPersonFromList(int row);
  void StepMonth(int step);
  void ApplyWindowGeometry();

  Session& session_;
  UserInterface& ui_;
  Clock clock_;
  bool loading_ = true;
  bool fillingFields_ = false;

  PersonBlock p1_{}, p2_{};
  QRadioButton *optPerson1_ = nullptr, *optPerson2_ = nullptr;
  QListWidget* namesOnFile_ = nullptr;
  QLabel* lblNamesOnFile_ = nullptr;
  QTableWidget* grdOutput_ = nullptr;
  QPushButton* cmdCalculate_ = nullptr;
  QPushButton* cmdCalcAspectarian_ = nullptr;
  std::vector<QCheckBox*> chkP1Planets_, chkP2Planets_, chkAspects_;
  std::array<QRadioButton*, 2> optZodiac_{};
  std::array<QRadioButton*, 4> optHouseSystem_{};
  std::array<QCheckBox*, 2> chkNatalTransit_{};
  QCheckBox* chkEnableTimePeriod_ = nullptr;
  QLineEdit *txtDaysToCalculate_ = nullptr, *txtStartTime_ = nullptr, *txtEndTime_ = nullptr;
  QLineEdit *txtDaysForwardBack_ = nullptr, *txtMinutesBeforeExact_ = nullptr, *txtMinutesAfterExact_ = nullptr;
  QCheckBox *chkTmpToNp_ = nullptr, *chkTmpToTp_ = nullptr, *chkTpToNmp_ = nullptr, *chkTmpToNmp_ = nullptr;
  QCheckBox *chkLunarMansions_ = nullptr, *chkAuspicious_ = nullptr, *chkTDegToNDeg_ = nullptr;
  QTimer* timer1_ = nullptr;
};

}  // namespace kesmora::gui
