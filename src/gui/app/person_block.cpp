#include "gui/app/person_block.h"

#include "core/persons/birth_data.h"
#include "gui/app/field_filters.h"
#include "gui/common/text.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

namespace kesmora::gui {

namespace {

// Object names and button captions of one block; Person 2's names insert "Diurnal". The two
// blocks give their buttons different access keys, so that each key presses one button.
struct BlockTexts {
  const char *title, *name, *month, *day, *year, *hour, *minute, *am, *pm, *unknown, *timeZone, *adjustTz,
      *minusOne, *now, *longDeg, *longMin, *east, *west, *latDeg, *latMin, *north, *south, *stateCountry, *city,
      *atlas, *save;
  const char *adjustTzCaption, *minusOneCaption, *nowCaption, *atlasCaption, *saveCaption;
};

constexpr BlockTexts kPerson1{
    "Birth Data - Person 1 (Natal)", "txtName", "txtMonth", "txtDay", "txtYear", "txtBirthHour", "txtBirthMinute",
    "optAM", "optPM", "optUnknown", "txtTZ", "cmdAdjTZ", "cmdSubtractOneHour", "cmdNow", "txtLongDeg", "txtLongMin",
    "optEast", "optWest", "txtLatDeg", "txtLatMin", "optNorth", "optSouth", "txtBirthState_Country", "txtBirthCity",
    "cmdACS_Atlas", "cmdSave",
    "Adjust T&Z", "&Minus 1", "&Now", "A&tlas", "&Save"};

constexpr BlockTexts kPerson2{
    "Birth Data - Person 2 (Transit)", "txtDiurnalName", "txtDiurnalMonth", "txtDiurnalDay", "txtDiurnalYear",
    "txtDiurnalHour", "txtDiurnalMinute", "optDiurnalAM", "optDiurnalPM", "optDiurnalUnknown", "txtDiurnalTZ",
    "cmdAdjDiurnalTZ", "cmdDiurnalSubtractOneHour", "cmdDiurnalNow", "txtDiurnalLongDeg", "txtDiurnalLongMin",
    "optDiurnalEast", "optDiurnalWest", "txtDiurnalLatDeg", "txtDiurnalLatMin", "optDiurnalNorth", "optDiurnalSouth",
    "txtDiurnalBirthState_Country", "txtDiurnalBirthCity", "cmdDiurnalACS_Atlas", "cmdDiurnalSave",
    "Ad&just TZ", "Minus &1", "No&w", "&Atlas", "Sa&ve"};

// The longest texts the number fields hold: a valid date and time, a time zone with the
// digits of the options file, and coordinates.
constexpr const char *kLongestDay = "31", *kLongestYear = "-2099", *kLongestMinute = "59.99";
constexpr const char *kLongestTimeZone = "-12.35889", *kLongestDegrees = "180", *kLongestMinutes = "59";

QRadioButton* NewRadio(const char* objectName, const char* caption) {
  auto* r = new QRadioButton(caption);
  r->setObjectName(objectName);
  return r;
}

QPushButton* NewButton(const char* objectName, const char* caption) {
  auto* b = new QPushButton(caption);
  b->setObjectName(objectName);
  return b;
}

}  // namespace

PersonBlock::PersonBlock(Person person, DateOrder order, QWidget* parent)
    : QGroupBox(parent), person_(person), order_(order) {
  CreateControls();
  LayOut();
  ConnectRules();
}

void PersonBlock::CreateControls() {
  const BlockTexts& t = person_ == Person::One ? kPerson1 : kPerson2;
  setTitle(t.title);
  name_ = NewField(t.name, KeyFilter::Any);
  month_ = NewField(t.month, KeyFilter::Digits, kLongestDay);
  day_ = NewField(t.day, KeyFilter::Digits, kLongestDay);
  year_ = NewField(t.year, KeyFilter::DigitsMinus, kLongestYear);
  hour_ = NewField(t.hour, KeyFilter::Digits, kLongestDay);
  minute_ = NewField(t.minute, KeyFilter::DigitsPoint, kLongestMinute);
  timeZone_ = NewField(t.timeZone, KeyFilter::DigitsPointMinus, kLongestTimeZone);
  longDeg_ = NewField(t.longDeg, KeyFilter::Digits, kLongestDegrees);
  longMin_ = NewField(t.longMin, KeyFilter::Digits, kLongestMinutes);
  latDeg_ = NewField(t.latDeg, KeyFilter::Digits, kLongestDegrees);
  latMin_ = NewField(t.latMin, KeyFilter::Digits, kLongestMinutes);
  stateCountry_ = NewField(t.stateCountry, KeyFilter::Any);
  city_ = NewField(t.city, KeyFilter::Any);
  am_ = NewRadio(t.am, "AM");
  pm_ = NewRadio(t.pm, "PM");
  unknown_ = NewRadio(t.unknown, "Unknown");
  east_ = NewRadio(t.east, "East");
  west_ = NewRadio(t.west, "West");
  north_ = NewRadio(t.north, "North");
  south_ = NewRadio(t.south, "South");
  adjustTz_ = NewButton(t.adjustTz, t.adjustTzCaption);
  minusOne_ = NewButton(t.minusOne, t.minusOneCaption);
  now_ = NewButton(t.now, t.nowCaption);
  atlas_ = NewButton(t.atlas, t.atlasCaption);
  save_ = NewButton(t.save, t.saveCaption);

  // Each set of option buttons is exclusive within its own frame.
  for (auto set : {std::vector<QRadioButton*>{am_, pm_, unknown_}, std::vector<QRadioButton*>{east_, west_},
                   std::vector<QRadioButton*>{north_, south_}}) {
    auto* group = new QButtonGroup(this);
    for (QRadioButton* r : set) group->addButton(r);
    TabToCheckedButton(group);
  }
}

void PersonBlock::LayOut() {
  // Two pairs of label and field columns; the year, the option buttons, the frames and the
  // buttons in a fifth column to the right.
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 4, 6, 6);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(3);
  auto label = [](const char* text) { return new QLabel(text); };
  auto row = [](std::initializer_list<QWidget*> widgets, bool stretch = true) {
    auto* box = new QHBoxLayout;
    box->setSpacing(4);
    for (QWidget* w : widgets) box->addWidget(w);
    if (stretch) box->addStretch();
    return box;
  };
  auto pair = [&](int r, int column, const char* caption, QWidget* field) {
    grid->addWidget(label(caption), r, column);
    grid->addWidget(field, r, column + 1);
  };
  // A frame of two option buttons side by side.
  auto directions = [](const char* title, QRadioButton* first, QRadioButton* second) {
    auto* frame = new QGroupBox(title);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(6, 0, 6, 2);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addStretch();
    return frame;
  };
  grid->addWidget(label("Name"), 0, 0);
  grid->addWidget(name_, 0, 1, 1, 4);
  // Day, month and year in the order dates are written here, so that they are typed as read.
  struct DateField {
    const char* caption;
    QLineEdit* field;
  };
  const DateField month{"Month", month_}, day{"Day", day_}, year{"Year", year_};
  const std::array<DateField, 3> dateFields = order_ == DateOrder::DayMonthYear   ? std::array{day, month, year}
                                              : order_ == DateOrder::YearMonthDay ? std::array{year, month, day}
                                                                                  : std::array{month, day, year};
  pair(1, 0, dateFields[0].caption, dateFields[0].field);
  pair(1, 2, dateFields[1].caption, dateFields[1].field);
  grid->addLayout(row({label(dateFields[2].caption), dateFields[2].field}), 1, 4);
  pair(2, 0, "Birth Hour", hour_);
  pair(2, 2, "Birth Min", minute_);
  grid->addLayout(row({am_, pm_, unknown_}), 2, 4);
  grid->addWidget(label("Time Zone"), 3, 0);
  grid->addWidget(timeZone_, 3, 1, 1, 2);
  grid->addLayout(row({adjustTz_, minusOne_, now_}, false), 3, 3, 1, 2);
  pair(4, 0, "Long Deg", longDeg_);
  pair(4, 2, "Long Min", longMin_);
  grid->addWidget(directions("East / West", east_, west_), 4, 4);
  pair(5, 0, "Lat Deg", latDeg_);
  pair(5, 2, "Lat Min", latMin_);
  grid->addWidget(directions("North / South", north_, south_), 5, 4);
  // The longest label reaches over the first field column, so that the labels' column stays as
  // narrow as the others need.
  grid->addWidget(label("State / Country"), 6, 0, 1, 2);
  grid->addLayout(row({stateCountry_, atlas_}, false), 6, 2, 1, 3);
  grid->addWidget(label("City"), 7, 0, 1, 2);
  grid->addLayout(row({city_, save_}, false), 7, 2, 1, 3);
  grid->setColumnStretch(4, 1);
  // Buttons as narrow as their captions: the block fits a screen of 1280 pixels beside the rest.
  for (QPushButton* b : {adjustTz_, minusOne_, now_, atlas_, save_})
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text().remove('&')) + 2 * b->fontMetrics().height());

  tabOrder_ = {name_, dateFields[0].field, dateFields[1].field, dateFields[2].field, hour_, minute_, am_, pm_,
               unknown_, timeZone_, adjustTz_, minusOne_, now_, longDeg_, longMin_, east_, west_, latDeg_, latMin_,
               north_, south_, stateCountry_, city_, atlas_, save_};
}

void PersonBlock::ConnectRules() {
  connect(hour_, &QLineEdit::textChanged, this, [this](const QString& text) {
    bool pm = false;
    QString ruled = ToQString(ApplyHourRule(ToStdString(text), pm));
    if (pm) pm_->setChecked(true);
    if (ruled != text) hour_->setText(ruled);
  });
  connect(name_, &QLineEdit::textChanged, this, &PersonBlock::nameEdited);
  for (QLineEdit* field : {name_, month_, day_, year_, hour_, minute_, timeZone_, longDeg_, longMin_, latDeg_, latMin_,
                           stateCountry_, city_})
    connect(field, &QLineEdit::textChanged, this, &PersonBlock::edited);
  for (QRadioButton* option : {am_, pm_, unknown_, east_, west_, north_, south_})
    connect(option, &QRadioButton::toggled, this, &PersonBlock::edited);
  connect(now_, &QPushButton::clicked, this, &PersonBlock::nowClicked);
  connect(save_, &QPushButton::clicked, this, &PersonBlock::saveClicked);
  connect(atlas_, &QPushButton::clicked, this, &PersonBlock::atlasClicked);
  connect(minusOne_, &QPushButton::clicked, this, [this] { Apply([](PersonFields& f) { SubtractOneHour(f); }); });
  connect(adjustTz_, &QPushButton::clicked, this, [this] { Apply([](PersonFields& f) { AdjustTimeZone(f); }); });
  connect(east_, &QRadioButton::clicked, this, [this] { Apply([](PersonFields& f) { ChooseEast(f, true); }); });
  connect(west_, &QRadioButton::clicked, this, [this] { Apply([](PersonFields& f) { ChooseEast(f, false); }); });
  connect(unknown_, &QRadioButton::clicked, this, [this] { Apply([](PersonFields& f) { ChooseUnknown(f); }); });
}

void PersonBlock::Read(PersonFields& f) const {
  f.name = ToStdString(name_->text());
  f.month = ToStdString(month_->text());
  f.day = ToStdString(day_->text());
  f.year = ToStdString(year_->text());
  f.hour = ToStdString(hour_->text());
  f.minute = ToStdString(minute_->text());
  f.half = am_->isChecked() ? HalfDay::AM : pm_->isChecked() ? HalfDay::PM : HalfDay::Unknown;
  f.timeZone = ToStdString(timeZone_->text());
  f.longDeg = ToStdString(longDeg_->text());
  f.longMin = ToStdString(longMin_->text());
  f.east = east_->isChecked();
  f.latDeg = ToStdString(latDeg_->text());
  f.latMin = ToStdString(latMin_->text());
  f.south = south_->isChecked();
  f.stateCountry = ToStdString(stateCountry_->text());
  f.city = ToStdString(city_->text());
  f.minusOneEnabled = minusOne_->isEnabled();
}

void PersonBlock::Show(const PersonFields& given) {
  const PersonFields f = given;  // a copy: the hour rule may write back while we fill
  name_->setText(ToQString(f.name));
  month_->setText(ToQString(f.month));
  day_->setText(ToQString(f.day));
  year_->setText(ToQString(f.year));
  hour_->setText(ToQString(f.hour));
  minute_->setText(ToQString(f.minute));
  (f.half == HalfDay::AM ? am_ : f.half == HalfDay::PM ? pm_ : unknown_)->setChecked(true);
  timeZone_->setText(ToQString(f.timeZone));
  longDeg_->setText(ToQString(f.longDeg));
  longMin_->setText(ToQString(f.longMin));
  (f.east ? east_ : west_)->setChecked(true);
  latDeg_->setText(ToQString(f.latDeg));
  latMin_->setText(ToQString(f.latMin));
  (f.south ? south_ : north_)->setChecked(true);
  stateCountry_->setText(ToQString(f.stateCountry));
  city_->setText(ToQString(f.city));
  minusOne_->setEnabled(f.minusOneEnabled);
}

}  // namespace kesmora::gui
