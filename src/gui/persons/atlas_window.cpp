#include "gui/persons/atlas_window.h"

#include "core/app/user_interface.h"
#include "core/reference/text.h"
#include "gui/common/text.h"

#include <fmt/format.h>

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace kesmora::gui {

namespace {

constexpr const char* kCaption = "Atlas";
constexpr const char* kDuplicateCaption = "THIS IS A DUPLICATE CITY";
constexpr size_t kMostShown = 200;
constexpr int kIndexRole = Qt::UserRole;

constexpr const char* kNoMatch = "no match: check the spelling, or try the state or country (or leave it empty)";

// Selects the whole text of a field whenever it is entered, so that what is typed replaces
// the city or state the block brought instead of being added to it.
class SelectOnEntry : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn)
      if (auto* field = qobject_cast<QLineEdit*>(watched))
        // After the click that brought the focus, which would place the cursor.
        QTimer::singleShot(0, field, [field] { field->selectAll(); });
    return false;
  }
};

}  // namespace

AtlasWindow::AtlasWindow(const Atlas& atlas, const PersonFields& block, const LocalMoment& moment, UserInterface& ui,
                         QWidget* parent)
    : QDialog(parent), atlas_(atlas), moment_(moment), ui_(ui) {
  setObjectName("ACS_Atlas");
  setWindowTitle(kCaption);
  txtCity_ = new QLineEdit(ToQString(block.city));
  txtCity_->setObjectName("txtCity");
  txtState_ = new QLineEdit(ToQString(block.stateCountry));
  txtState_->setObjectName("txtStateCountry");
  auto* selectOnEntry = new SelectOnEntry(this);
  txtCity_->installEventFilter(selectOnEntry);
  txtState_->installEventFilter(selectOnEntry);
  lstPlaces_ = new QTreeWidget;
  lstPlaces_->setObjectName("lstPlaces");
  lstPlaces_->setRootIsDecorated(false);
  lstPlaces_->setUniformRowHeights(true);
  lstPlaces_->setHeaderLabels({"City", "State / Country", "Population", "Latitude", "Longitude", "Time zone"});
  lstPlaces_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  auto* lookup = new QPushButton("&Lookup");
  lookup->setObjectName("cmdLookup");
  lookup->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName("cmdCancel");

  BuildZoneChoice();
  lblStatus_ = new QLabel;
  lblStatus_->setObjectName("lblStatus");
  lblStatus_->setWordWrap(true);

  auto* form = new QFormLayout;
  form->addRow("&City", txtCity_);
  form->addRow("&State / Country", txtState_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new QLabel(QString("Time zone in force on %1-%2-%3 at %4:%5")
                                    .arg(moment.date.year)
                                    .arg(moment.date.month, 2, 10, QChar('0'))
                                    .arg(moment.date.day, 2, 10, QChar('0'))
                                    .arg(moment.hour, 2, 10, QChar('0'))
                                    .arg(moment.minute, 2, 10, QChar('0'))));
  buttons->addStretch();
  buttons->addWidget(lookup);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(lstPlaces_);
  layout->addWidget(lblStatus_);
  layout->addWidget(choice_);
  layout->addLayout(buttons);
  resize(760, 420);

  connect(txtCity_, &QLineEdit::textChanged, this, &AtlasWindow::Search);
  connect(txtState_, &QLineEdit::textChanged, this, &AtlasWindow::Search);
  // A place picked by mouse or keys settles an ambiguous name.
  connect(lstPlaces_, &QTreeWidget::itemClicked, this, [this] { chosen_ = true; });
  connect(lstPlaces_, &QTreeWidget::currentItemChanged, this, [this] { chosen_ = true; });
  connect(lstPlaces_, &QTreeWidget::itemActivated, this, [this] {
    chosen_ = true;
    cmdLookup_Click();
  });
  connect(lookup, &QPushButton::clicked, this, &AtlasWindow::cmdLookup_Click);
  connect(cmdStandardTime_, &QPushButton::clicked, this, &AtlasWindow::cmdStandardTime_Click);
  connect(cmdZoneAnswer_, &QPushButton::clicked, this, &AtlasWindow::cmdZoneAnswer_Click);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  Search();
  txtCity_->setFocus();
  txtCity_->selectAll();
}

// Shown when the zone's answer is another city's history: the note and the two choices.
void AtlasWindow::BuildZoneChoice() {
  choice_ = new QWidget;
  lblZoneNote_ = new QLabel;
  lblZoneNote_->setObjectName("lblZoneNote");
  lblZoneNote_->setWordWrap(true);
  cmdStandardTime_ = new QPushButton;
  cmdStandardTime_->setObjectName("cmdStandardTime");
  cmdZoneAnswer_ = new QPushButton;
  cmdZoneAnswer_->setObjectName("cmdZoneAnswer");
  auto* choiceRow = new QHBoxLayout(choice_);
  choiceRow->setContentsMargins(0, 0, 0, 0);
  choiceRow->addWidget(lblZoneNote_, 1);
  choiceRow->addWidget(cmdStandardTime_);
  choiceRow->addWidget(cmdZoneAnswer_);
  choice_->hide();
}

void AtlasWindow::Search() {
  const Atlas::Matches m = atlas_.Search(txtCity_->text().toStdString(), txtState_->text().toStdString(), kMostShown);
  lstPlaces_->setUpdatesEnabled(false);
  lstPlaces_->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(m.places.size()));
  for (size_t k = 0; k < m.places.size(); ++k) {
    const size_t index = m.places[k];
    const AtlasPlace p = atlas_.Place(index);
    auto* item = new QTreeWidgetItem(QStringList{
        ToQString(MatchedPlaceText(p.city, m.matchedNames[k])), ToQString(p.RegionText()), QString::number(p.population),
        ToQString(AtlasLatitudeText(p.latitudeDeg)), ToQString(AtlasLongitudeText(p.longitudeWestDeg)),
        ToQString(p.zoneName)});
    item->setData(0, kIndexRole, QVariant::fromValue<qulonglong>(index));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    items.append(item);
  }
  lstPlaces_->addTopLevelItems(items);
  if (!items.isEmpty()) lstPlaces_->setCurrentItem(items.front());
  lstPlaces_->setUpdatesEnabled(true);
  if (m.total == 0 && !txtCity_->text().trimmed().isEmpty())
    lblStatus_->setText(kNoMatch);
  else if (m.regionIgnored)
    lblStatus_->setText(QString("No place of the name in \"%1\": the places of every state and country.")
                            .arg(txtState_->text().trimmed()));
  else if (m.total > m.places.size())
    lblStatus_->setText(QString("The first %1 of %2 places: type more of the name, or the state or country.")
                            .arg(m.places.size())
                            .arg(m.total));
  else
    lblStatus_->clear();
  ambiguous_ = m.sameName > 1;
  chosen_ = false;
  setWindowTitle(kCaption);
  HideChoice();
}

void AtlasWindow::HideChoice() {
  pendingPlace_.reset();
  choice_->hide();
}

void AtlasWindow::cmdLookup_Click() {
  QTreeWidgetItem* item = lstPlaces_->currentItem();
  if (!item) return;
  if (ambiguous_ && !chosen_) {
    setWindowTitle(kDuplicateCaption);
    lstPlaces_->setFocus();
    return;
  }
  const AtlasPlace place = atlas_.Place(item->data(0, kIndexRole).toULongLong());
  std::string error;
  const std::optional<ZoneInForce> zone = ZoneAt(place.zoneName, moment_, place.longitudeWestDeg, &error);
  if (!zone) {
    ui_.ShowMessage({MessageIcon::Warning, "Error!", error});
    return;
  }
  if (const std::optional<std::string> note = ZoneHistoryNote(place, moment_, *zone)) {
    // Not a fact to copy unasked: the answer, the note and the two choices wait beside the list.
    pendingPlace_ = item->data(0, kIndexRole).toULongLong();
    pendingZone_ = *zone;
    lblZoneNote_->setText(ToQString(fmt::format("{}: time zone {}, {}; {}.", place.city, ZoneFieldText(zone->hoursWest),
                                        TimeKindText(*zone), *note)));
    cmdStandardTime_->setText(ToQString(fmt::format("S&tandard time ({})", ZoneFieldText(zone->standardHoursWest))));
    cmdZoneAnswer_->setText(ToQString(fmt::format("The &zone's answer ({})", ZoneFieldText(zone->hoursWest))));
    choice_->show();
    cmdStandardTime_->setFocus();
    return;
  }
  Take(place, *zone);
}

void AtlasWindow::cmdStandardTime_Click() {
  if (pendingPlace_) Take(atlas_.Place(*pendingPlace_), StandardTimeOf(pendingZone_));
}

void AtlasWindow::cmdZoneAnswer_Click() {
  if (pendingPlace_) Take(atlas_.Place(*pendingPlace_), pendingZone_);
}

void AtlasWindow::Take(const AtlasPlace& place, const ZoneInForce& zone) {
  if (zone.kind == TimeKind::LocalMean)
    ui_.ShowMessage({MessageIcon::Warning, "LMT used",
                     fmt::format("LMT is used: local mean time, the place's own clock from its longitude "
                                 "({} degrees {}: time zone {}).",
                                 NumberText(std::round(std::abs(place.longitudeWestDeg) * 100) / 100),
                                 place.longitudeWestDeg < 0 ? "East" : "West", ZoneFieldText(zone.hoursWest))});
  result_ = AnswerOf(place, zone);
  accept();
}

}  // namespace kesmora::gui
