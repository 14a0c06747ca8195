#include "gui/results/condition_dialog.h"

#include "core/app/user_interface.h"
#include "core/reference/constants.h"
#include "core/reference/format.h"
#include "gui/common/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace kesmora::gui {

namespace {

// The aspects of the longitude (0..14); parallels are found by the aspectarian alone.
constexpr int kLongitudeAspects = 15;

const char* const kKindCaptions[ConditionDialog::kKinds] = {
    "Aspect within an orb", "Moon void of course", "Retrograde",     "Near a station", "In signs",
    "Moon in a lunar mansion", "In a natal house",  "Hits in force", "Time of day",    "Weekdays"};

QWidget* Page(QLayout* layout) {
  auto* w = new QWidget;
  w->setLayout(layout);
  return w;
}

QComboBox* NewCombo(const char* name) {
  auto* c = new QComboBox;
  c->setObjectName(name);
  return c;
}

// Selects the entry whose data is `value`; the first when there is none.
void SelectData(QComboBox* combo, int value) { combo->setCurrentIndex(std::max(combo->findData(value), 0)); }

int Data(const QComboBox* combo) { return combo->currentData().toInt(); }

QTime TimeOfMinute(int minute) { return QTime(minute / 60 % 24, minute % 60); }
int MinuteOf(const QTime& t) { return t.hour() * 60 + t.minute(); }

}  // namespace

ConditionDialog::ConditionDialog(const ReferenceTables& tables, UserInterface& ui, QWidget* parent)
    : QDialog(parent), tables_(tables), ui_(ui) {
  setObjectName("frmCondition");
  setWindowTitle("Condition");
  cboRole_ = NewCombo("cboRole");
  cboRole_->addItems({"Required", "Avoided", "Preferred"});
  spnWeight_ = new QDoubleSpinBox;
  spnWeight_->setObjectName("spnWeight");
  spnWeight_->setRange(0.1, kMaxWeight);
  spnWeight_->setDecimals(1);
  spnWeight_->setValue(1);
  connect(cboRole_, &QComboBox::currentIndexChanged, this,
          [this](int role) { spnWeight_->setEnabled(role == static_cast<int>(Role::Preferred)); });
  spnWeight_->setEnabled(false);
  cboKind_ = NewCombo("cboKind");
  for (const char* caption : kKindCaptions) cboKind_->addItem(caption);

  BuildPages();
  connect(cboKind_, &QComboBox::currentIndexChanged, pages_, &QStackedWidget::setCurrentIndex);

  auto* head = new QFormLayout;
  head->addRow("&Role", cboRole_);
  head->addRow("&Weight", spnWeight_);
  head->addRow("&Condition", cboKind_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &ConditionDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ConditionDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(head);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
}

// A page of controls for each kind of condition, in the order of the kinds.
void ConditionDialog::BuildPages() {
  pages_ = new QStackedWidget;
  pages_->addWidget(BuildAspectPage());
  pages_->addWidget(new QWidget);  // the void Moon asks nothing more
  pages_->addWidget(BuildPointPage("cboRetrogradeBody", cboRetrogradeBody_));
  {
    QWidget* page = BuildPointPage("cboStationBody", cboStationBody_);
    spnStationHours_ = new QDoubleSpinBox;
    spnStationHours_->setObjectName("spnStationHours");
    spnStationHours_->setRange(0.5, kMaxStationHours);
    spnStationHours_->setValue(24);
    static_cast<QFormLayout*>(page->layout())->addRow("&Hours either side", spnStationHours_);
    pages_->addWidget(page);
  }
  {
    QWidget* page = BuildPointPage("cboSignPoint", cboSignPoint_);
    auto* grid = new QGridLayout;
    for (int s = 0; s < 12; ++s) {
      auto* box = new QCheckBox(SignName(s));
      box->setObjectName(QString("chkSigns_%1").arg(s));
      chkSigns_[static_cast<size_t>(s)] = box;
      grid->addWidget(box, s / 3, s % 3);
    }
    static_cast<QFormLayout*>(page->layout())->addRow("Signs", Page(grid));
    pages_->addWidget(page);
  }
  {
    auto* form = new QFormLayout;
    cboMansion_ = NewCombo("cboMansion");
    for (int m = 1; m <= kMansions; ++m) cboMansion_->addItem(QString::number(m), m);
    cboPada_ = NewCombo("cboPada");
    cboPada_->addItem("any", 0);
    for (int p = 1; p <= 4; ++p) cboPada_->addItem(QString::number(p), p);
    form->addRow("&Mansion", cboMansion_);
    form->addRow("&Pada", cboPada_);
    pages_->addWidget(Page(form));
  }
  {
    QWidget* page = BuildPointPage("cboHousePoint", cboHousePoint_);
    spnHouse_ = new QSpinBox;
    spnHouse_->setObjectName("spnHouse");
    spnHouse_->setRange(1, 12);
    static_cast<QFormLayout*>(page->layout())->addRow("&House of Person 1", spnHouse_);
    pages_->addWidget(page);
  }
  {
    auto* form = new QFormLayout;
    spnHits_ = new QSpinBox;
    spnHits_->setObjectName("spnHits");
    spnHits_->setRange(1, 32767);
    form->addRow("&At least", spnHits_);
    pages_->addWidget(Page(form));
  }
  {
    auto* form = new QFormLayout;
    tedFrom_ = new QTimeEdit;
    tedFrom_->setObjectName("tedFrom");
    tedTo_ = new QTimeEdit;
    tedTo_->setObjectName("tedTo");
    for (QTimeEdit* t : {tedFrom_, tedTo_}) t->setDisplayFormat("HH:mm");
    form->addRow("&From", tedFrom_);
    form->addRow("&To (before from: over midnight)", tedTo_);
    pages_->addWidget(Page(form));
  }
  {
    auto* grid = new QGridLayout;
    for (int d = 0; d < 7; ++d) {
      auto* box = new QCheckBox(WeekdayAbbreviation(d));
      box->setObjectName(QString("chkWeekdays_%1").arg(d));
      chkWeekdays_[static_cast<size_t>(d)] = box;
      grid->addWidget(box, 0, d);
    }
    pages_->addWidget(Page(grid));
  }
}

QComboBox* ConditionDialog::NewPointList(const char* name) const {
  QComboBox* c = NewCombo(name);
  for (int i = 1; i <= tables_.NumPlanetsUsed(); ++i) c->addItem(ToQString(tables_.Planet(i).name), i);
  return c;
}

QWidget* ConditionDialog::BuildPointPage(const char* listName, QComboBox*& list) {
  auto* form = new QFormLayout;
  list = NewPointList(listName);
  form->addRow("&Point", list);
  return Page(form);
}

QWidget* ConditionDialog::BuildAspectPage() {
  auto* form = new QFormLayout;
  cboTransitPoint_ = NewPointList("cboTransitPoint");
  cboAspect_ = NewCombo("cboAspect");
  for (int k = 0; k < kLongitudeAspects; ++k) cboAspect_->addItem(ToQString(tables_.aspectCaptions[static_cast<size_t>(k)]), k);
  cboOtherPoint_ = NewPointList("cboOtherPoint");
  cboOtherChart_ = NewCombo("cboOtherChart");
  cboOtherChart_->addItems({"natal", "transit"});
  spnOrb_ = new QDoubleSpinBox;
  spnOrb_->setObjectName("spnOrb");
  spnOrb_->setRange(0.01, 180);
  spnOrb_->setDecimals(2);
  spnOrb_->setValue(1);
  cboMotion_ = NewCombo("cboMotion");
  cboMotion_->addItems({"applying or separating", "applying", "separating"});
  form->addRow("&Transit point", cboTransitPoint_);
  form->addRow("&Aspect", cboAspect_);
  form->addRow("T&o point", cboOtherPoint_);
  form->addRow("&Of the chart", cboOtherChart_);
  form->addRow("Or&b (degrees)", spnOrb_);
  form->addRow("&Motion", cboMotion_);
  return Page(form);
}

void ConditionDialog::SetItem(const ElectionItem& item) {
  cboRole_->setCurrentIndex(static_cast<int>(item.role));
  spnWeight_->setValue(item.weight);
  cboKind_->setCurrentIndex(static_cast<int>(item.condition.index()));
  std::visit(
      [this](const auto& c) {
        using T = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<T, AspectInOrb>) {
          SelectData(cboTransitPoint_, c.transitPoint);
          SelectData(cboAspect_, c.aspect);
          SelectData(cboOtherPoint_, c.otherPoint);
          cboOtherChart_->setCurrentIndex(c.otherIsTransit ? 1 : 0);
          spnOrb_->setValue(c.orbDeg);
          cboMotion_->setCurrentIndex(static_cast<int>(c.motion));
        } else if constexpr (std::is_same_v<T, Retrograde>) {
          SelectData(cboRetrogradeBody_, c.body);
        } else if constexpr (std::is_same_v<T, Stationary>) {
          SelectData(cboStationBody_, c.body);
          spnStationHours_->setValue(c.withinHours);
        } else if constexpr (std::is_same_v<T, InSigns>) {
          SelectData(cboSignPoint_, c.point);
          for (size_t s = 0; s < 12; ++s) chkSigns_[s]->setChecked(c.signs[s]);
        } else if constexpr (std::is_same_v<T, InMansion>) {
          SelectData(cboMansion_, c.mansion);
          SelectData(cboPada_, c.pada);
        } else if constexpr (std::is_same_v<T, InNatalHouse>) {
          SelectData(cboHousePoint_, c.point);
          spnHouse_->setValue(c.house);
        } else if constexpr (std::is_same_v<T, HitsAtLeast>) {
          spnHits_->setValue(c.count);
        } else if constexpr (std::is_same_v<T, TimeOfDay>) {
          tedFrom_->setTime(TimeOfMinute(c.fromMinute));
          tedTo_->setTime(TimeOfMinute(c.toMinute));
        } else if constexpr (std::is_same_v<T, OnWeekdays>) {
          for (size_t d = 0; d < 7; ++d) chkWeekdays_[d]->setChecked(c.days[d]);
        }
      },
      item.condition);
}

std::optional<ElectionItem> ConditionDialog::Item() const {
  ElectionItem item;
  item.role = static_cast<Role>(cboRole_->currentIndex());
  item.weight = item.role == Role::Preferred ? spnWeight_->value() : 1;
  switch (cboKind_->currentIndex()) {
    case 0:
      item.condition = AspectInOrb{Data(cboTransitPoint_), Data(cboAspect_), Data(cboOtherPoint_),
                                   cboOtherChart_->currentIndex() == 1, spnOrb_->value(),
                                   static_cast<AspectMotion>(cboMotion_->currentIndex())};
      break;
    case 1: item.condition = MoonVoid{}; break;
    case 2: item.condition = Retrograde{Data(cboRetrogradeBody_)}; break;
    case 3: item.condition = Stationary{Data(cboStationBody_), spnStationHours_->value()}; break;
    case 4: {
      InSigns c{Data(cboSignPoint_), {}};
      for (size_t s = 0; s < 12; ++s) c.signs[s] = chkSigns_[s]->isChecked();
      if (std::find(c.signs.begin(), c.signs.end(), true) == c.signs.end()) {
        ui_.ShowMessage({MessageIcon::Information, "Warning!", "Tick at least one sign."});
        return std::nullopt;
      }
      item.condition = c;
      break;
    }
    case 5: item.condition = InMansion{Data(cboMansion_), Data(cboPada_)}; break;
    case 6: item.condition = InNatalHouse{Data(cboHousePoint_), spnHouse_->value()}; break;
    case 7: item.condition = HitsAtLeast{spnHits_->value()}; break;
    case 8: {
      const int from = MinuteOf(tedFrom_->time()), to = MinuteOf(tedTo_->time());
      // 00:00 as the end is the end of the day.
      item.condition = TimeOfDay{from, to == 0 ? 1440 : to};
      break;
    }
    default: {
      OnWeekdays c;
      for (size_t d = 0; d < 7; ++d) c.days[d] = chkWeekdays_[d]->isChecked();
      if (std::find(c.days.begin(), c.days.end(), true) == c.days.end()) {
        ui_.ShowMessage({MessageIcon::Information, "Warning!", "Tick at least one weekday."});
        return std::nullopt;
      }
      item.condition = c;
    }
  }
  return item;
}

void ConditionDialog::accept() {
  if (Item()) QDialog::accept();
}

}  // namespace kesmora::gui
