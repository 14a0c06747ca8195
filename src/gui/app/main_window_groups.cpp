// The main window's groups of controls, as the table of the window lists them, and how they
// are laid out to fit a laptop screen.
#include "gui/app/main_window.h"

#include "core/app/planetary_data.h"
#include "core/reference/format.h"
#include "gui/app/field_filters.h"
#include "gui/app/person_block.h"
#include "gui/app/tooltips.h"
#include "gui/common/text.h"
#include "gui/common/window_geometry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kesmora::gui {

namespace {

QRadioButton* NewRadio(const char* objectName, const QString& caption) {
  auto* r = new QRadioButton(caption);
  r->setObjectName(objectName);
  return r;
}

QPushButton* NewButton(const char* objectName, const QString& caption) {
  auto* b = new QPushButton(caption);
  b->setObjectName(objectName);
  return b;
}

QCheckBox* NewCheck(const char* objectName, const QString& caption) {
  auto* c = new QCheckBox(caption);
  c->setObjectName(objectName);
  return c;
}

QGroupBox* NewGroup(const QString& title, QLayout* layout) {
  auto* g = new QGroupBox(title);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(4);
  g->setLayout(layout);
  return g;
}

// A caption in the first column of a grid and its field in the second.
void AddLabelledField(QGridLayout* layout, int row, const QString& caption, QWidget* field) {
  layout->addWidget(new QLabel(caption), row, 0);
  layout->addWidget(field, row, 1);
}

// The longest texts of the number fields of a run: counts of days and minutes, and times.
constexpr const char *kLongestCount = "32767", *kLongestTime = "23.59";

}  // namespace

// Three columns: the persons; the names, the planet data and the run's settings; the planet
// lists, which grow with the window, over the aspects and the orbs. Built in the order of the
// groups of the table.
QWidget* MainWindow::BuildContent() {
  QWidget* names = BuildNamesGroup();
  QWidget* planetData = BuildPlanetDataGroup();
  QWidget* transitPlanets = BuildCheckBoxGroup("Transit Planets", "chkP1Planets", NumPlanetBoxes, transitPlanetBoxes_, 1);
  QWidget* natalPlanets =
      BuildCheckBoxGroup("Natal (or Transit) Planets", "chkP2Planets", NumPlanetBoxes, natalPlanetBoxes_, 1);
  QWidget* aspects = BuildCheckBoxGroup("Aspects", "chkAspects", NumAspectBoxes, aspectBoxes_, 3);
  QWidget* zodiac = BuildZodiacGroup();
  QWidget* houses = BuildHouseGroup();
  QWidget* periods = BuildPeriodsGroup();
  QWidget* orbs = BuildOrbsGroup();
  QWidget* buttons = BuildBottomButtons();

  content_ = new QWidget;
  auto* columns = new QHBoxLayout(content_);
  columns->setContentsMargins(4, 4, 4, 4);
  columns->setSpacing(6);
  auto* persons = new QVBoxLayout;
  persons->addWidget(p1_);
  persons->addWidget(p2_);
  persons->addStretch();
  // A larger window widens the persons' text fields and, twice as much, the names and planet data.
  columns->addLayout(persons, 1);

  auto* middle = new QVBoxLayout;
  middle->addWidget(names, 2);
  middle->addWidget(planetData, 5);
  middle->addWidget(periods);
  auto* chart = new QHBoxLayout;
  chart->addWidget(zodiac);
  chart->addWidget(houses);
  middle->addLayout(chart);
  columns->addLayout(middle, 2);

  auto* choices = new QVBoxLayout;
  auto* planets = new QHBoxLayout;
  planets->addWidget(transitPlanets);
  planets->addWidget(natalPlanets);
  choices->addLayout(planets, 1);
  auto* below = new QHBoxLayout;
  auto* aspectColumn = new QVBoxLayout;
  aspectColumn->addWidget(aspects);
  aspectColumn->addStretch();
  below->addLayout(aspectColumn);
  auto* search = new QVBoxLayout;
  search->addWidget(orbs);
  search->addWidget(buttons);
  below->addLayout(search);
  choices->addLayout(below);
  columns->addLayout(choices);

  // Scroll bars appear only when the screen is too small for the whole window.
  auto* scroll = new QScrollArea;
  scroll->setObjectName("MainScroll");
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content_);
  scroll->setWidgetResizable(true);
  return scroll;
}

void MainWindow::ExplainDisabledButtons() {
  ExplainWhenDisabled(cmdCalcAspectarian_, "Searches the span for the aspects ticked (Alt+R).",
                      "Calculate the planetary data first (Alt+P).");
  const QString runFirst = "Run the aspectarian first (Calculate aspectarian times, Alt+R).";
  ExplainWhenDisabled(cmdFindHotspots_, "Counts the hits in force at each minute of the transit date and draws them.",
                      runFirst);
  ExplainWhenDisabled(cmdCopyToCSVfile_, "Writes the data grid to a CSV file that any spreadsheet opens.", runFirst);
  ExplainWhenDisabled(cmdCopyToExcel_,
                      "Copies the data grid into the sheet of a running LibreOffice Calc, from its selected cell.",
                      runFirst);
}

QWidget* MainWindow::BuildNamesGroup() {
  optPerson1_ = NewRadio("optPerson1", "Person 1");
  optPerson2_ = NewRadio("optPerson2", "Person 2");
  optPerson1_->setChecked(true);
  auto* persons = new QButtonGroup(this);
  persons->addButton(optPerson1_);
  persons->addButton(optPerson2_);
  TabToCheckedButton(persons);
  namesOnFile_ = new QListWidget;
  namesOnFile_->setObjectName("NamesOnFile");
  lblNamesOnFile_ = new QLabel("NAMES.FIL");
  lblNamesOnFile_->setObjectName("lblNamesOnFile");
  auto* change = NewButton("cmdChangeList", "&Change List");
  auto* edit = NewButton("cmdEditList", "&Edit List");
  connect(change, &QPushButton::clicked, this, &MainWindow::cmdChangeList_Click);
  connect(edit, &QPushButton::clicked, this, &MainWindow::cmdEditList_Click);
  connect(namesOnFile_, &QListWidget::itemClicked, this, [this] { NamesOnFile_Click(); });
  // The arrow keys (and Space) choose a name as a click does; the mouse reports its own click.
  // The item the list makes current when it receives the focus is not selected, so not chosen.
  connect(namesOnFile_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!namesOnFile_->selectedItems().isEmpty() && QGuiApplication::mouseButtons() == Qt::NoButton)
      NamesOnFile_Click();
  });
  connect(namesOnFile_, &QListWidget::itemDoubleClicked, this, [this] { NamesOnFile_DblClick(); });
  // Enter loads and calculates, as a double click does.
  for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* enter = new QShortcut(QKeySequence(key), namesOnFile_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(enter, &QShortcut::activated, this, &MainWindow::NamesOnFile_DblClick);
  }

  auto* layout = new QGridLayout;
  layout->addWidget(optPerson1_, 0, 0);
  layout->addWidget(optPerson2_, 0, 1);
  layout->addWidget(namesOnFile_, 1, 0, 1, 2);
  layout->addWidget(lblNamesOnFile_, 2, 0, 1, 2);
  layout->addWidget(change, 3, 0);
  layout->addWidget(edit, 3, 1);
  return NewGroup("Names List", layout);
}

QWidget* MainWindow::BuildPlanetDataGroup() {
  grdOutput_ = new QTableWidget;
  grdOutput_->setObjectName("grdOutput");
  grdOutput_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdOutput_->verticalHeader()->setVisible(false);
  grdOutput_->setSelectionMode(QAbstractItemView::NoSelection);
  // One Tab stop: Tab leaves the grid instead of walking its cells; the arrows scroll it.
  grdOutput_->setTabKeyNavigation(false);
  CtrlTabLeaves(grdOutput_);
  grdOutput_->horizontalHeader()->setStretchLastSection(true);
  cmdCalculate_ = NewButton("cmdCalculate", "Calculate &planetary data");
  connect(cmdCalculate_, &QPushButton::clicked, this, &MainWindow::cmdCalculate_Click);
  auto* layout = new QVBoxLayout;
  layout->addWidget(grdOutput_, 1);
  layout->addWidget(cmdCalculate_);
  planetData_ = NewGroup("Planet Data", layout);
  planetData_->setObjectName("PlanetData");
  return planetData_;
}

QWidget* MainWindow::BuildCheckBoxGroup(const QString& title, const QString& prefix, int count,
                                        std::vector<QCheckBox*>& boxes, int columns) {
  auto* boxesWidget = new QWidget;
  auto* grid = new QGridLayout(boxesWidget);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(0);
  grid->setHorizontalSpacing(4);
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  // Filled down the columns, so the list reads in index order like the planet grid.
  const bool planets = prefix != "chkAspects";
  int used = planets ? std::min(count, session_.tables.NumPlanetsUsed()) : count;
  int rows = (std::max(used, 1) + columns - 1) / columns;
  for (int k = 0; k < count; ++k) {
    auto* box = new QCheckBox;
    box->setObjectName(prefix + "_" + QString::number(k));
    box->setProperty("index", k);
    box->setFont(small);
    boxes.push_back(box);
    grid->addWidget(box, k % rows + (k >= used ? rows : 0), k / rows);
  }
  OneTabStopForBoxes({boxes.begin(), boxes.end()}, rows);
  auto* layout = new QVBoxLayout;
  if (!planets) {
    layout->addWidget(boxesWidget);
    return NewGroup(title, layout);
  }
  // The long planet lists scroll inside their frames: never sideways, and a few rows at least.
  grid->setRowStretch(2 * rows, 1);
  auto* scroll = new QScrollArea;
  scroll->setObjectName(prefix + "Scroll");
  scroll->setFocusPolicy(Qt::NoFocus);  // the boxes take the focus, the list scrolls to them
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setWidgetResizable(true);
  scroll->setWidget(boxesWidget);
  layout->addWidget(scroll);
  return NewGroup(title, layout);
}

QWidget* MainWindow::BuildZodiacGroup() {
  optZodiac_[0] = NewRadio("optZodiac_0", "Tropical");
  optZodiac_[1] = NewRadio("optZodiac_1", "Sidereal");
  chkNatalTransit_[0] = NewCheck("chkNatal_Transit_0", "T. to n. planet");
  chkNatalTransit_[1] = NewCheck("chkNatal_Transit_1", "T. to t. planet");
  auto* group = new QButtonGroup(this);
  auto* layout = new QGridLayout;
  for (int k = 0; k < 2; ++k) {
    group->addButton(optZodiac_[static_cast<size_t>(k)]);
    optZodiac_[static_cast<size_t>(k)]->setProperty("index", k);
    chkNatalTransit_[static_cast<size_t>(k)]->setProperty("index", k);
    layout->addWidget(optZodiac_[static_cast<size_t>(k)], k, 0);
    layout->addWidget(chkNatalTransit_[static_cast<size_t>(k)], k, 1);
    connect(optZodiac_[static_cast<size_t>(k)], &QRadioButton::clicked, this, &MainWindow::cmdCalculate_Click);
  }
  TabToCheckedButton(group);
  return NewGroup("Aspects and Zodiac", layout);
}

QWidget* MainWindow::BuildHouseGroup() {
  const char* captions[] = {"Placidus", "Koch", "Whole sign", "Asc -30 deg"};
  auto* group = new QButtonGroup(this);
  auto* layout = new QGridLayout;
  for (int k = 0; k < 4; ++k) {
    auto* r = NewRadio(QString("optHouseSystem_%1").arg(k).toUtf8().constData(), captions[k]);
    r->setProperty("index", k);
    optHouseSystem_[static_cast<size_t>(k)] = r;
    group->addButton(r);
    layout->addWidget(r, k / 2, k % 2);
    connect(r, &QRadioButton::clicked, this, &MainWindow::cmdCalculate_Click);
  }
  TabToCheckedButton(group);
  return NewGroup("House System", layout);
}

QWidget* MainWindow::BuildPeriodsGroup() {
  txtDaysToCalculate_ = NewField("txtDaysToCalculate", KeyFilter::Digits, kLongestCount);
  txtStartTime_ = NewField("txtStartTime", KeyFilter::DigitsPoint, kLongestTime);
  txtEndTime_ = NewField("txtEndTime", KeyFilter::DigitsPoint, kLongestTime);
  chkEnableTimePeriod_ = NewCheck("chkEnableTimePeriod", "Only calculate for time period to the left");
  cmdCalcAspectarian_ = NewButton("cmdCalc_aspectarian", "Calculate aspecta&rian times");
  cmdCalcAspectarian_->setEnabled(false);  // enabled by the first "Calculate planetary data"
  connect(cmdCalcAspectarian_, &QPushButton::clicked, this, &MainWindow::cmdCalc_aspectarian_Click);
  auto* layout = new QGridLayout;
  AddLabelledField(layout, 0, "Days to calculate", txtDaysToCalculate_);
  auto* daysNote = new QLabel("(0: the one day from midnight)");
  daysNote->setObjectName("lblDaysNote");
  layout->addWidget(daysNote, 0, 2);
  AddLabelledField(layout, 1, "Start Time:", txtStartTime_);
  AddLabelledField(layout, 2, "End Time:", txtEndTime_);
  chkEnableTimePeriod_->setText("Only calculate for time\nperiod to the left");
  layout->addWidget(chkEnableTimePeriod_, 1, 2, 2, 1);
  layout->addWidget(cmdCalcAspectarian_, 3, 0, 1, 3);
  return NewGroup("Calculation Periods (time format is hh.mm - 24 hr time)", layout);
}

QWidget* MainWindow::BuildOrbsGroup() {
  txtDaysForwardBack_ = NewField("txtDaysForwardBack", KeyFilter::Digits, kLongestCount);
  txtMinutesBeforeExact_ = NewField("txtMinutesBeforeExact", KeyFilter::Digits, kLongestCount);
  txtMinutesAfterExact_ = NewField("txtMinutesAfterExact", KeyFilter::Digits, kLongestCount);
  chkTmpToNp_ = NewCheck("chkInclude_Transit_Midpoints_to_Natal_Planets", "Include t. midpoints to n. planets?");
  chkTmpToTp_ = NewCheck("chkInclude_Transit_Midpoints_to_Transit_Planets", "Include t. mp's to t. planets?");
  chkTpToNmp_ = NewCheck("chkInclude_Transit_Planets_to_Natal_Midpoints", "Include t. planets to n. midpoints?");
  chkTmpToNmp_ = NewCheck("chkInclude_Transit_Midpoints_to_Natal_Midpoints", "Include t. mp's to n. midpoints?");
  chkLunarMansions_ = NewCheck("chkIncludeLunarMansions", "T. to lunar mansions?");
  chkAuspicious_ = NewCheck("chkIncludeAuspiciousPoints", "T. to auspicious points?");
  chkTDegToNDeg_ = NewCheck("chkIncludeTDeg_to_NDeg", "T. deg conjunct n. deg?");
  auto* layout = new QGridLayout;
  AddLabelledField(layout, 0, "Days to look forward & back", txtDaysForwardBack_);
  AddLabelledField(layout, 1, "Minutes before exact", txtMinutesBeforeExact_);
  AddLabelledField(layout, 2, "Minutes after exact", txtMinutesAfterExact_);
  int row = 3;
  for (QCheckBox* c : {chkTmpToNp_, chkTmpToTp_, chkTpToNmp_, chkTmpToNmp_, chkLunarMansions_, chkAuspicious_, chkTDegToNDeg_})
    layout->addWidget(c, row++, 0, 1, 2);
  return NewGroup("Midpoints and Orbs", layout);
}

QWidget* MainWindow::BuildBottomButtons() {
  auto* w = new QWidget;
  auto* layout = new QVBoxLayout(w);
  layout->setContentsMargins(0, 0, 0, 0);
  cmdFindHotspots_ = NewButton("cmdFindHotspots", "Fin&d hotspots");
  cmdCopyToCSVfile_ = NewButton("cmdCopyToCSVfile", "Cop&y grid data to .csv file");
  cmdCopyToExcel_ = NewButton("cmdCopyToExcel", "Copy grid data to E&xcel");
  for (QPushButton* b : {cmdFindHotspots_, cmdCopyToCSVfile_, cmdCopyToExcel_}) {
    b->setEnabled(false);  // see EnableResultButtons
    layout->addWidget(b);
  }
  cmdFindFavourable_ = NewButton("cmdFindFavourable", "F&ind favourable times");
  layout->addWidget(cmdFindFavourable_);
  connect(cmdFindFavourable_, &QPushButton::clicked, this, &MainWindow::cmdFindFavourable_Click);
  connect(cmdCopyToCSVfile_, &QPushButton::clicked, this, &MainWindow::cmdCopyToCSVfile_Click);
  connect(cmdCopyToExcel_, &QPushButton::clicked, this, &MainWindow::cmdCopyToExcel_Click);
  connect(cmdFindHotspots_, &QPushButton::clicked, this, &MainWindow::cmdFindHotspots_Click);
  return w;
}

// Tab visits the groups in the order of their table: the persons, the names, the planet data,
// the planet and aspect lists (one stop each), zodiac and houses, the periods, the orbs and
// passes, then "Calculate aspectarian times" and the buttons for its results.
void MainWindow::SetTabOrder() {
  std::vector<QWidget*> order = p1_->TabOrder();
  order.insert(order.end(), p2_->TabOrder().begin(), p2_->TabOrder().end());
  order.insert(order.end(), {optPerson1_, optPerson2_, namesOnFile_, findChild<QPushButton*>("cmdChangeList"),
                             findChild<QPushButton*>("cmdEditList"), grdOutput_, cmdCalculate_});
  for (auto* list : {&transitPlanetBoxes_, &natalPlanetBoxes_, &aspectBoxes_}) order.insert(order.end(), list->begin(), list->end());
  order.insert(order.end(), {optZodiac_[0], optZodiac_[1], chkNatalTransit_[0], chkNatalTransit_[1]});
  order.insert(order.end(), optHouseSystem_.begin(), optHouseSystem_.end());
  order.insert(order.end(), {txtDaysToCalculate_, chkEnableTimePeriod_, txtStartTime_, txtEndTime_,
                             txtDaysForwardBack_, txtMinutesBeforeExact_, txtMinutesAfterExact_, chkTmpToNp_,
                             chkTmpToTp_, chkTpToNmp_, chkTmpToNmp_, chkLunarMansions_, chkAuspicious_,
                             chkTDegToNDeg_, cmdCalcAspectarian_, cmdFindHotspots_, cmdCopyToCSVfile_,
                             cmdCopyToExcel_, cmdFindFavourable_});
  for (size_t k = 1; k < order.size(); ++k) setTabOrder(order[k - 1], order[k]);
}

void MainWindow::CaptionCheckBoxes() {
  const int n = session_.tables.NumPlanetsUsed();
  for (int k = 0; k < NumPlanetBoxes; ++k) {
    bool used = k < n;
    QString caption = used ? ToQString(session_.tables.Planet(k + 1).name) : QString("Check%1").arg(k + 1);
    transitPlanetBoxes_[static_cast<size_t>(k)]->setText(caption);
    natalPlanetBoxes_[static_cast<size_t>(k)]->setText(caption);
    transitPlanetBoxes_[static_cast<size_t>(k)]->setVisible(used);
    natalPlanetBoxes_[static_cast<size_t>(k)]->setVisible(used);
  }
  for (int k = 0; k < NumAspectBoxes; ++k) {
    const QString caption = ToQString(session_.tables.aspectCaptions[static_cast<size_t>(k)]);
    aspectBoxes_[static_cast<size_t>(k)]->setText(caption);
    aspectBoxes_[static_cast<size_t>(k)]->setToolTip(AspectToolTip(caption));
  }
  // Each planet list is at least as wide as its captions and shows a few rows.
  for (const char* name : {"chkP1PlanetsScroll", "chkP2PlanetsScroll"}) {
    auto* scroll = findChild<QScrollArea*>(name);
    const QSize boxes = scroll->widget()->sizeHint();
    scroll->setMinimumWidth(boxes.width() + scroll->verticalScrollBar()->sizeHint().width());
    scroll->setMinimumHeight(std::min(boxes.height(), 6 * transitPlanetBoxes_.front()->sizeHint().height()));
  }
  SizePlanetGridColumns();
}

void MainWindow::SizePlanetGridColumns() {
  // Wide enough for every planet name and for a longitude in any sign with its retrograde mark;
  // the designed widths are the least.
  const QFontMetrics metrics = grdOutput_->fontMetrics();
  const int padding = 2 * (grdOutput_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grdOutput_) + 1) + 2;
  int name = 0, longitude = 0;
  for (int i = 1; i <= session_.tables.NumPlanetsUsed(); ++i)
    name = std::max(name, metrics.horizontalAdvance(ToQString(session_.tables.Planet(i).name)));
  for (int sign = 0; sign < 12; ++sign)
    longitude = std::max(longitude, metrics.horizontalAdvance(ToQString(FormatLongitude(sign * 30 + 28.99)) + " R"));
  const int number = metrics.horizontalAdvance(QString::number(session_.tables.NumPlanetsUsed()));
  const int measured[4] = {number, name, longitude, longitude};
  int total = 0;
  grdOutput_->setColumnCount(4);
  for (int c = 0; c < 4; ++c) {
    const int header = metrics.horizontalAdvance(QStringList{"#", "Name", "Transit Longitude", "Natal Longitude"}[c]);
    const int width = std::max({PlanetGridWidthsTwips[c] / kTwipsPerPixel, measured[c] + padding, header + padding});
    grdOutput_->setColumnWidth(c, width);
    total += width;
  }
  // All four columns show without scrolling sideways.
  const QStyle* style = grdOutput_->style();
  const int scrollBar = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grdOutput_);
  const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, grdOutput_);
  grdOutput_->setMinimumWidth(total + scrollBar + 2 * frame + 4);
}

}  // namespace kesmora::gui
