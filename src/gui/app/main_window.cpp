#include "gui/app/main_window.h"

#include "gui/app/aspectarian_runner.h"
#include "gui/app/field_filters.h"
#include "gui/app/file_dialogs.h"
#include "gui/app/person_block.h"
#include "gui/app/tooltips.h"
#include "gui/app/window_geometry.h"
#include "core/app/names_commands.h"
#include "core/app/run.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/app/planetary_data.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "gui/results/grid_window.h"
#include "gui/results/hits_graph.h"
#include "core/results/hotspots.h"
#include "core/results/results.h"
#include "gui/search/list_file_dialog.h"
#include "core/app/list_files.h"
#include "core/search/run_options.h"
#include "gui/search/target_list_window.h"
#include "core/settings/options_file.h"
#include "gui/results/calendar_save.h"
#include "gui/results/spreadsheet_export.h"
#include "gui/settings/options_window.h"
#include "gui/settings/selection_menu.h"
#include "gui/windows/about_box.h"
#include "gui/windows/data_window.h"
#include "gui/windows/help_window.h"
#include "gui/windows/tip_window.h"
#include "gui/windows/printer_setup.h"
#include "gui/persons/atlas_window.h"
#include "gui/persons/name_edit.h"

#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

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

// The longest texts of the number fields of a run: counts of days and minutes, and times.
constexpr const char *kLongestCount = "32767", *kLongestTime = "23.59";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

}  // namespace

MainWindow::MainWindow(Session& session, UserInterface& ui, Clock clock, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      ui_(ui),
      clock_(std::move(clock)),
      ownFiles_(std::make_unique<QtFileDialogs>()),
      ownPrinter_(std::make_unique<QtPrinterSetup>(session_.programDir / "reports")),
      files_(ownFiles_.get()),
      printer_(ownPrinter_.get()) {
  setObjectName("Kesmora");
  // Built in the order of the groups of the table; laid out below to fit a laptop screen.
  p1_ = new PersonBlock(Person::One, session_.formats.dateOrder);
  p2_ = new PersonBlock(Person::Two, session_.formats.dateOrder);
  QWidget* names = BuildNamesGroup();
  QWidget* planetData = BuildPlanetDataGroup();
  QWidget* transitPlanets = BuildCheckBoxGroup("Transit Planets", "chkP1Planets", NumPlanetBoxes, chkP1Planets_, 1);
  QWidget* natalPlanets =
      BuildCheckBoxGroup("Natal (or Transit) Planets", "chkP2Planets", NumPlanetBoxes, chkP2Planets_, 1);
  QWidget* aspects = BuildCheckBoxGroup("Aspects", "chkAspects", NumAspectBoxes, chkAspects_, 3);
  QWidget* zodiac = BuildZodiacGroup();
  QWidget* houses = BuildHouseGroup();
  QWidget* periods = BuildPeriodsGroup();
  QWidget* orbs = BuildOrbsGroup();
  QWidget* buttons = BuildBottomButtons();
  connect(p1_, &PersonBlock::nowClicked, this, &MainWindow::cmdNow_Click);
  connect(p2_, &PersonBlock::nowClicked, this, &MainWindow::cmdDiurnalNow_Click);
  connect(p1_, &PersonBlock::saveClicked, this, &MainWindow::cmdSave_Click);
  connect(p2_, &PersonBlock::saveClicked, this, &MainWindow::cmdDiurnalSave_Click);
  connect(p1_, &PersonBlock::atlasClicked, this, &MainWindow::cmdACS_Atlas_Click);
  connect(p2_, &PersonBlock::atlasClicked, this, &MainWindow::cmdDiurnalACS_Atlas_Click);
  // "Save As" of the data window proposes a file name from what the name field holds now.
  connect(p1_, &PersonBlock::nameEdited, this, [this](const QString& text) { session_.person1.name = S(text); });
  connect(p2_, &PersonBlock::nameEdited, this, [this](const QString& text) { session_.person2.name = S(text); });
  for (PersonBlock* block : {p1_, p2_}) connect(block, &PersonBlock::edited, this, &MainWindow::UpdatePlanetDataMark);
  // Shift with the Person 1 key fills Person 2.
  auto* diurnalNow = new QShortcut(QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_N), this);
  connect(diurnalNow, &QShortcut::activated, this, &MainWindow::cmdDiurnalNow_Click);

  // Three columns: the persons; the names, the planet data and the run's settings; the planet
  // lists, which grow with the window, over the aspects and the orbs.
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
  setCentralWidget(scroll);
  SetTabOrder();
  BuildMenus();
  SetMainWindowToolTips(this);
  ExplainWhenDisabled(cmdCalcAspectarian_, "Searches the span for the aspects ticked (Alt+R).",
                      "Calculate the planetary data first (Alt+P).");
  const QString runFirst = "Run the aspectarian first (Calculate aspectarian times, Alt+R).";
  ExplainWhenDisabled(cmdFindHotspots_, "Counts the hits in force at each minute of the transit date and draws them.",
                      runFirst);
  ExplainWhenDisabled(cmdCopyToCSVfile_, "Writes the data grid to a CSV file that any spreadsheet opens.", runFirst);
  ExplainWhenDisabled(cmdCopyToExcel_,
                      "Copies the data grid into the sheet of a running LibreOffice Calc, from its selected cell.",
                      runFirst);

  timer1_ = new QTimer(this);
  timer1_->setObjectName("Timer1");
  timer1_->setInterval(1000);
  connect(timer1_, &QTimer::timeout, this, &MainWindow::UpdateTitle);

  runner_ = new AspectarianRunner(this);
  connect(runner_, &AspectarianRunner::ended, this, &MainWindow::AspectarianEnded);

  // Every window of the program, this one too, ends up wholly inside the screen's free area.
  fitter_ = std::make_unique<ScreenFitter>();
  qApp->installEventFilter(fitter_.get());
}

// The runner goes first: a run still going is stopped before the windows it reports to.
MainWindow::~MainWindow() {
  qApp->removeEventFilter(fitter_.get());
  delete runner_;
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
  layout->addWidget(new QLabel("Days to calculate"), 0, 0);
  layout->addWidget(txtDaysToCalculate_, 0, 1);
  auto* daysNote = new QLabel("(0: the one day from midnight)");
  daysNote->setObjectName("lblDaysNote");
  layout->addWidget(daysNote, 0, 2);
  layout->addWidget(new QLabel("Start Time:"), 1, 0);
  layout->addWidget(txtStartTime_, 1, 1);
  layout->addWidget(new QLabel("End Time:"), 2, 0);
  layout->addWidget(txtEndTime_, 2, 1);
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
  layout->addWidget(new QLabel("Days to look forward & back"), 0, 0);
  layout->addWidget(txtDaysForwardBack_, 0, 1);
  layout->addWidget(new QLabel("Minutes before exact"), 1, 0);
  layout->addWidget(txtMinutesBeforeExact_, 1, 1);
  layout->addWidget(new QLabel("Minutes after exact"), 2, 0);
  layout->addWidget(txtMinutesAfterExact_, 2, 1);
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
  connect(cmdCopyToCSVfile_, &QPushButton::clicked, this, &MainWindow::cmdCopyToCSVfile_Click);
  connect(cmdCopyToExcel_, &QPushButton::clicked, this, &MainWindow::cmdCopyToExcel_Click);
  connect(cmdFindHotspots_, &QPushButton::clicked, this, &MainWindow::cmdFindHotspots_Click);
  return w;
}

void MainWindow::BuildMenus() {
  auto add = [this](QMenu* menu, const char* name, const QString& caption, bool enabled,
                    QKeySequence shortcut = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setEnabled(enabled);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
  };
  QMenu* file = menuBar()->addMenu("&File");
  connect(add(file, "mnuFileNewFil", "Make new .FIL file", true, QKeySequence("Ctrl+N")), &QAction::triggered, this,
          &MainWindow::mnuFileNewFil_Click);
  connect(add(file, "mnuFileLoad", "Load .opt file", true), &QAction::triggered, this, &MainWindow::mnuFileLoad_Click);
  connect(add(file, "mnuFileSave", "Save .opt file", true), &QAction::triggered, this, &MainWindow::mnuFileSave_Click);
  connect(add(file, "mnuFileLoad_apt_file", "Load .apt file", true), &QAction::triggered, this,
          &MainWindow::mnuFileLoad_apt_file_Click);
  connect(add(file, "mnuFileLoad_t2n_file", "Load .t2n file", true), &QAction::triggered, this,
          &MainWindow::mnuFileLoad_t2n_file_Click);
  file->addSeparator();
  connect(add(file, "mnuFileExit", "Exit", true), &QAction::triggered, this, &QWidget::close);

  QMenu* update = menuBar()->addMenu("&Update");
  connect(add(update, "mnuUpdate_back_1_month", "Go back a month", true, QKeySequence(Qt::Key_F2)),
          &QAction::triggered, this, &MainWindow::mnuUpdate_back_1_month_Click);
  connect(add(update, "mnuUpdate_forward_1_month", "Go forward a month", true, QKeySequence(Qt::Key_F3)),
          &QAction::triggered, this, &MainWindow::mnuUpdate_forward_1_month_Click);

  QMenu* lists = menuBar()->addMenu("&Lists");
  auto addEditor = [&](const char* name, const QString& caption, ListKind kind) {
    connect(add(lists, name, caption, true), &QAction::triggered, this, [this, kind] { OpenListEditor(kind); });
  };
  addEditor("mnuLunarMansions", "Set t. planets in lunar mansions", ListKind::LunarMansions);
  addEditor("mnuMidpoints_t_to_n", "Set t. mp's to n. planets", ListKind::MidpointsToNatal);
  addEditor("mnuMidpoints_t_to_t", "Set t. mp's to t. planets", ListKind::MidpointsToTransit);
  addEditor("mnuMidpoints_t_to_nmp", "Set natal midpoints", ListKind::NatalMidpoints);

  QMenu* options = menuBar()->addMenu("&Option Settings");
  connect(add(options, "mnuOptionOptionSettings", "Change settings in .opt file", true), &QAction::triggered, this,
          &MainWindow::mnuOptionOptionSettings_Click);
  BuildHelpMenu();
}

void MainWindow::BuildHelpMenu() {
  auto add = [this](QMenu* menu, const char* name, const QString& caption, const char* helpFile) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (helpFile)
      connect(a, &QAction::triggered, this, [this, helpFile, caption] { ShowHelpText(helpFile, caption); });
    return a;
  };
  QMenu* help = menuBar()->addMenu("&Help");
  connect(add(help, "mnuHelpTipoftheDay", "Tip of the Day", nullptr), &QAction::triggered, this,
          &MainWindow::mnuHelpTipoftheDay_Click);
  add(help, "mnuMainMenuHelp", "Kesmora Main Menu", "Kesmora.TXT");
  add(help, "mnuHelpGraph", "Graph Window", "INSTRUCTIONS.TXT");
  add(help, "mnuHelpOptions", "Options Window", "OPTIONS.TXT");
  add(help, "mnuHelpOutputD1", "Data Window", "OUTPUTD1.TXT");
  add(help, "mnuHelpSelect", "Select A File Window", "SELECT.TXT");
  add(help, "mnuHelpPrntfile", "File To Print  Window", "PRNTFILE.TXT");
  QMenu* hints = help->addMenu("Hints");
  add(hints, "mnuHintsHow", "How Do I...?", "HOW_DO_I.TXT");
  add(hints, "mnuHintsReadingList", "Reading List", "READING.TXT");
  add(hints, "mnuHintsTips", "Tips", "TIPS.TXT");
  add(help, "mnuShortcutKeys", "Shortcut Keys", "SHORTCUT.TXT");
  add(help, "mnuHelpRevisions", "Revision History", "REVISION.TXT");
  connect(add(help, "mnuHelpAbout", "About", nullptr), &QAction::triggered, this, &MainWindow::mnuHelpAbout_Click);
}

// Tab visits the groups in the order of their table: the persons, the names, the planet data,
// the planet and aspect lists (one stop each), zodiac and houses, the periods, the orbs and
// passes, then "Calculate aspectarian times" and the buttons for its results.
void MainWindow::SetTabOrder() {
  std::vector<QWidget*> order = p1_->TabOrder();
  order.insert(order.end(), p2_->TabOrder().begin(), p2_->TabOrder().end());
  order.insert(order.end(), {optPerson1_, optPerson2_, namesOnFile_, findChild<QPushButton*>("cmdChangeList"),
                             findChild<QPushButton*>("cmdEditList"), grdOutput_, cmdCalculate_});
  for (auto* list : {&chkP1Planets_, &chkP2Planets_, &chkAspects_}) order.insert(order.end(), list->begin(), list->end());
  order.insert(order.end(), {optZodiac_[0], optZodiac_[1], chkNatalTransit_[0], chkNatalTransit_[1]});
  order.insert(order.end(), optHouseSystem_.begin(), optHouseSystem_.end());
  order.insert(order.end(), {txtDaysToCalculate_, chkEnableTimePeriod_, txtStartTime_, txtEndTime_,
                             txtDaysForwardBack_, txtMinutesBeforeExact_, txtMinutesAfterExact_, chkTmpToNp_,
                             chkTmpToTp_, chkTpToNmp_, chkTmpToNmp_, chkLunarMansions_, chkAuspicious_,
                             chkTDegToNDeg_, cmdCalcAspectarian_, cmdFindHotspots_, cmdCopyToCSVfile_,
                             cmdCopyToExcel_});
  for (size_t k = 1; k < order.size(); ++k) setTabOrder(order[k - 1], order[k]);
}

void MainWindow::CaptionCheckBoxes() {
  const int n = session_.tables.NumPlanetsUsed();
  for (int k = 0; k < NumPlanetBoxes; ++k) {
    bool used = k < n;
    QString caption = used ? Q(session_.tables.Planet(k + 1).name) : QString("Check%1").arg(k + 1);
    chkP1Planets_[static_cast<size_t>(k)]->setText(caption);
    chkP2Planets_[static_cast<size_t>(k)]->setText(caption);
    chkP1Planets_[static_cast<size_t>(k)]->setVisible(used);
    chkP2Planets_[static_cast<size_t>(k)]->setVisible(used);
  }
  for (int k = 0; k < NumAspectBoxes; ++k) {
    const QString caption = Q(session_.tables.aspectCaptions[static_cast<size_t>(k)]);
    chkAspects_[static_cast<size_t>(k)]->setText(caption);
    chkAspects_[static_cast<size_t>(k)]->setToolTip(AspectToolTip(caption));
  }
  // Each planet list is at least as wide as its captions and shows a few rows.
  for (const char* name : {"chkP1PlanetsScroll", "chkP2PlanetsScroll"}) {
    auto* scroll = findChild<QScrollArea*>(name);
    const QSize boxes = scroll->widget()->sizeHint();
    scroll->setMinimumWidth(boxes.width() + scroll->verticalScrollBar()->sizeHint().width());
    scroll->setMinimumHeight(std::min(boxes.height(), 6 * chkP1Planets_.front()->sizeHint().height()));
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
    name = std::max(name, metrics.horizontalAdvance(Q(session_.tables.Planet(i).name)));
  for (int sign = 0; sign < 12; ++sign)
    longitude = std::max(longitude, metrics.horizontalAdvance(Q(FormatLongitude(sign * 30 + 28.99)) + " R"));
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

void MainWindow::FieldsFromBlock(Person person) { Block(person).Read(Fields(person)); }

void MainWindow::BlockFromFields(Person person) { Block(person).Show(Fields(person)); }

void MainWindow::StoreWidgetsInSession() {
  FieldsFromBlock(Person::One);
  FieldsFromBlock(Person::Two);
  Settings& s = session_.settings;
  for (size_t k = 0; k < chkP1Planets_.size(); ++k) s.chkP1Planets[k] = chkP1Planets_[k]->isChecked() ? 1 : 0;
  for (size_t k = 0; k < chkP2Planets_.size(); ++k) s.chkP2Planets[k] = chkP2Planets_[k]->isChecked() ? 1 : 0;
  for (size_t k = 0; k < chkAspects_.size(); ++k) s.chkAspects[k] = chkAspects_[k]->isChecked() ? 1 : 0;
  for (size_t k = 0; k < 2; ++k) {
    s.optZodiac[k] = optZodiac_[k]->isChecked();
    s.chkNatal_Transit[k] = chkNatalTransit_[k]->isChecked() ? 1 : 0;
  }
  for (size_t k = 0; k < 4; ++k) s.optHouseSystem[k] = optHouseSystem_[k]->isChecked();
  s.txtDaysToCalculate = S(txtDaysToCalculate_->text());
  s.txtStartTime = S(txtStartTime_->text());
  s.txtEndTime = S(txtEndTime_->text());
  s.txtMinutesBeforeExact = S(txtMinutesBeforeExact_->text());
  s.txtMinutesAfterExact = S(txtMinutesAfterExact_->text());
  s.txtDaysForwardBack = S(txtDaysForwardBack_->text());
  s.chkEnableTimePeriod = chkEnableTimePeriod_->isChecked();
  s.chkIncludeTDeg_to_NDeg = chkTDegToNDeg_->isChecked();
  s.chkIncludeAuspiciousPoints = chkAuspicious_->isChecked();
  s.chkIncludeLunarMansions = chkLunarMansions_->isChecked();
  s.chkInclude_Transit_Midpoints_to_Natal_Planets = chkTmpToNp_->isChecked();
  s.chkInclude_Transit_Midpoints_to_Transit_Planets = chkTmpToTp_->isChecked();
  s.chkInclude_Transit_Planets_to_Natal_Midpoints = chkTpToNmp_->isChecked();
  s.chkInclude_Transit_Midpoints_to_Natal_Midpoints = chkTmpToNmp_->isChecked();
  s.personName1 = session_.person1.name;
  s.personName2 = session_.person2.name;
  // A maximised window keeps the place it had before.
  if (isVisible() && !isMaximized() && !isMinimized() && !isFullScreen()) s.mainWindow = TwipsRectOf(this);
}

void MainWindow::ShowSessionInWidgets() {
  const Settings& s = session_.settings;
  for (size_t k = 0; k < chkP1Planets_.size(); ++k) chkP1Planets_[k]->setChecked(s.chkP1Planets[k] != 0);
  for (size_t k = 0; k < chkP2Planets_.size(); ++k) chkP2Planets_[k]->setChecked(s.chkP2Planets[k] != 0);
  for (size_t k = 0; k < chkAspects_.size(); ++k) chkAspects_[k]->setChecked(s.chkAspects[k] != 0);
  for (size_t k = 0; k < 2; ++k) {
    // Exclusive groups cannot be cleared one button at a time; set the chosen one.
    if (s.optZodiac[k]) optZodiac_[k]->setChecked(true);
    chkNatalTransit_[k]->setChecked(s.chkNatal_Transit[k] != 0);
  }
  for (size_t k = 0; k < 4; ++k)
    if (s.optHouseSystem[k]) optHouseSystem_[k]->setChecked(true);
  txtDaysToCalculate_->setText(Q(s.txtDaysToCalculate));
  txtStartTime_->setText(Q(s.txtStartTime));
  txtEndTime_->setText(Q(s.txtEndTime));
  txtMinutesBeforeExact_->setText(Q(s.txtMinutesBeforeExact));
  txtMinutesAfterExact_->setText(Q(s.txtMinutesAfterExact));
  txtDaysForwardBack_->setText(Q(s.txtDaysForwardBack));
  chkEnableTimePeriod_->setChecked(s.chkEnableTimePeriod != 0);
  chkTDegToNDeg_->setChecked(s.chkIncludeTDeg_to_NDeg != 0);
  chkAuspicious_->setChecked(s.chkIncludeAuspiciousPoints != 0);
  chkLunarMansions_->setChecked(s.chkIncludeLunarMansions != 0);
  chkTmpToNp_->setChecked(s.chkInclude_Transit_Midpoints_to_Natal_Planets != 0);
  chkTmpToTp_->setChecked(s.chkInclude_Transit_Midpoints_to_Transit_Planets != 0);
  chkTpToNmp_->setChecked(s.chkInclude_Transit_Planets_to_Natal_Midpoints != 0);
  chkTmpToNmp_->setChecked(s.chkInclude_Transit_Midpoints_to_Natal_Midpoints != 0);
  BlockFromFields(Person::One);
  BlockFromFields(Person::Two);
}

QSize MainWindow::FittingSize() const {
  // Captions set before the window was first laid out are not yet in the layouts' measures.
  for (QWidget* w : content_->findChildren<QWidget*>()) w->updateGeometry();
  content_->layout()->activate();
  const QSize inside = content_->minimumSizeHint();

  return {inside.width(), inside.height() + menuBar()->sizeHint().height()};
}

void MainWindow::ApplyWindowGeometry() {
  // As large as the contents need, as far as the screen allows.
  ApplyTwipsRect(this, session_.settings.mainWindow, FittingSize());
}

void MainWindow::Start() {
  loading_ = true;
  CaptionCheckBoxes();
  ApplyWindowGeometry();
  ShowSessionInWidgets();
  loading_ = false;
  UpdateTitle();
  timer1_->start();
  show();
  KeepOnScreen(this);
  if (session_.optionValues[option::ShowTipAtStart] != 0) mnuHelpTipoftheDay_Click();
  ui_.SetBusy(true);
  // A home place still at Greenwich becomes the city of the computer's time zone, once.
  const std::optional<Message> seeded = SeedHomePlace(session_, AtlasData(), SystemZoneName(), clock_());
  const ZoneClock now = HomeNow();
  FillWithNow(session_.person1, Person::One, now, session_.optionValues);
  FillWithNow(session_.person2, Person::Two, now, session_.optionValues);
  BlockFromFields(Person::One);
  BlockFromFields(Person::Two);
  Load_names_list();
  const Settings& s = session_.settings;
  const HomeClockSource sameNow = [now] { return now; };
  if (!s.personName2.empty()) {
    optPerson2_->setChecked(true);
    LoadLastPerson(session_, Person::Two, s.personName2, sameNow, ui_);
    BlockFromFields(Person::Two);
  }
  if (!s.personName1.empty()) {
    optPerson1_->setChecked(true);
    LoadLastPerson(session_, Person::One, s.personName1, sameNow, ui_);
    BlockFromFields(Person::One);
  }
  if (seeded) ui_.ShowMessage(*seeded);
  cmdCalculate_Click();
  ui_.SetBusy(false);
}

void MainWindow::UpdateTitle() {
  QDateTime now = QDateTime::currentDateTime();
  QDate d = now.date();
  QString date = QString("%1 %2 %3").arg(d.day(), 2, 10, QChar('0')).arg(MonthAbbreviation(d.month())).arg(d.year(), 4, 10, QChar('0'));
  QString time = now.time().toString(session_.formats.clockFormat == ClockFormat::Hours24 ? "HH:mm:ss" : "h:mm:ss AP");
  setWindowTitle(Q(session_.TitlePrefix()) + date + "  at " + time);
}

void MainWindow::cmdCalculate_Click() {
  if (loading_) return;
  StoreWidgetsInSession();
  CalculatePlanetaryData(session_, ui_);
  // Unknown times were written as noon into the fields.
  BlockFromFields(Person::One);
  BlockFromFields(Person::Two);
  SetupPlanetDataGrid();
  cmdCalcAspectarian_->setEnabled(true);  // also after failed checks
  UpdateStaleMarks();
  UpdatePlanetDataMark();
}

void MainWindow::UpdatePlanetDataMark() {
  if (!planetData_ || !session_.chartsComputed) return;
  PersonFields natal, transit;
  p1_->Read(natal);
  p2_->Read(transit);
  const bool stale = !ChartsOfFields(session_, natal, transit);
  planetData_->setTitle(stale ? "Planet Data (out of date)" : "Planet Data");
  planetData_->setToolTip(stale ? "The birth data have changed since these charts were calculated: press "
                                  "\"Calculate planetary data\"."
                                : QString());
  // Grey positions: they are of the fields as they were.
  QPalette palette = grdOutput_->palette();
  palette.setColor(QPalette::Text, stale ? QColor(Qt::darkGray) : QApplication::palette(grdOutput_).color(QPalette::Text));
  grdOutput_->setPalette(palette);
}

void MainWindow::UpdateStaleMarks() {
  const ChartOptions now = ChartOptionsOf(session_.settings);
  const bool stale = shownRunChart_ && (shownRunChart_->zodiac != now.zodiac || shownRunChart_->houses != now.houses);
  const QString note = stale ? " (before the change of zodiac/houses)" : "";
  if (gridForm_) gridForm_->setWindowTitle("Data Grid" + note);
  if (dataWindow_) dataWindow_->MarkRunReportStale(stale);
}

void MainWindow::SetupPlanetDataGrid() {
  const auto rows = PlanetGridRows(session_);
  grdOutput_->setUpdatesEnabled(false);
  grdOutput_->clear();
  grdOutput_->setColumnCount(4);
  grdOutput_->setRowCount(static_cast<int>(rows.size()));
  grdOutput_->setHorizontalHeaderLabels({"#", "Name", "Transit Longitude", "Natal Longitude"});
  grdOutput_->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignCenter);
  for (int c = 1; c < 4; ++c) grdOutput_->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  const QColor grey(224, 224, 224);
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const PlanetGridRow& row = rows[static_cast<size_t>(r)];
    grdOutput_->setRowHeight(r, 250 / kTwipsPerPixel + 2);
    auto* index = new QTableWidgetItem(QString::number(row.index));
    index->setTextAlignment(Qt::AlignCenter);
    index->setBackground(grey);
    grdOutput_->setItem(r, 0, index);
    const QString texts[] = {Q(row.name), Q(row.transit), Q(row.natal)};
    for (int c = 1; c < 4; ++c) {
      auto* item = new QTableWidgetItem(texts[c - 1]);
      item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      grdOutput_->setItem(r, c, item);
    }
  }
  grdOutput_->setUpdatesEnabled(true);
  grdOutput_->setVisible(true);
}

const Atlas& MainWindow::AtlasData() {
  if (!atlas_) {
    ui_.SetBusy(true);
    std::string error;
    atlas_ = std::make_shared<const Atlas>(Atlas::Shipped(&error));
    ui_.SetBusy(false);
    if (!error.empty()) ui_.ShowMessage({MessageIcon::Warning, "Error!", error});
  }
  return *atlas_;
}

ZoneClock MainWindow::HomeNow() { return NowAtHome(session_, AtlasData(), clock_()); }

void MainWindow::cmdNow_Click() {
  FieldsFromBlock(Person::One);
  FillWithNow(session_.person1, Person::One, HomeNow(), session_.optionValues);
  BlockFromFields(Person::One);
}

void MainWindow::cmdDiurnalNow_Click() {
  FieldsFromBlock(Person::Two);
  FillWithNow(session_.person2, Person::Two, HomeNow(), session_.optionValues);
  BlockFromFields(Person::Two);
}

void MainWindow::Load_names_list() {
  namesOnFile_->clear();
  LoadNamesList(session_, ui_);
  ShowNamesList();
}

void MainWindow::ShowNamesList() {
  namesOnFile_->setUpdatesEnabled(false);
  namesOnFile_->clear();
  for (const NamesRecord& r : session_.names.records) namesOnFile_->addItem(Q(r.name));
  namesOnFile_->setUpdatesEnabled(true);
  lblNamesOnFile_->setText(Q(NamesFileLabel(CurrentNamesFile(session_).string())));
}

std::string MainWindow::Get_FIL_file_filename(const QString& pattern) {
  // The platform's dialog, in the program directory, the current names file chosen; the
  // pattern in capitals and in small letters, as names files come both ways.
  const QString current = Q(CurrentNamesFile(session_).string());
  FileRequest request{"Select a File", Q(session_.programDir.string()), current,
                      QString("Data Files (%1 %2)").arg(pattern, pattern.toLower()), ""};
  const std::optional<QString> chosen = files_->OpenFileName(this, request);
  return chosen ? S(*chosen) : std::string();
}

void MainWindow::SavePersonBlock(Person person) {
  FieldsFromBlock(person);
  const std::optional<NamesRecord> record = RecordToSave(session_, person, ui_);
  if (!record) return;
  const std::string target = Get_FIL_file_filename("*.FIL");
  if (target.empty()) return;
  NamesFileSteps steps;
  SavePerson(session_, *record, target, ui_, steps);
  ShowNamesList();
}

void MainWindow::cmdSave_Click() { SavePersonBlock(Person::One); }
void MainWindow::cmdDiurnalSave_Click() { SavePersonBlock(Person::Two); }

void MainWindow::cmdChangeList_Click() {
  const std::string chosen = Get_FIL_file_filename("*.FIL");
  if (chosen.empty()) return;
  ChangeNamesList(session_, chosen, ui_);
  ShowNamesList();
}

void MainWindow::cmdEditList_Click() {
  auto* editor = new NameEdit(CurrentNamesFile(session_), ui_, this);
  connect(editor, &NameEdit::quit, this, &MainWindow::Load_names_list);
  editor->setModal(false);
  editor->show();
}

void MainWindow::mnuFileNewFil_Click() {
  FileRequest request{"Make new .FIL file", Q(session_.programDir.string()), "NEW.FIL",
                      "Data Files (*.FIL *.fil)", "fil"};
  const std::optional<QString> chosen = files_->SaveFileName(this, request);
  if (!chosen) return;
  MakeNewNamesFile(S(*chosen), ui_);
}

void MainWindow::LookUpPlace(Person person) {
  FieldsFromBlock(person);
  PersonFields& fields = Fields(person);
  const std::optional<LocalMoment> moment = MomentOfBlock(fields);
  if (!moment) {
    // The zone in force depends on the date and time, so they must be a real moment.
    ui_.ShowMessage({MessageIcon::Information, "Warning!",
                     std::string(person == Person::One ? NatalInputError : DiurnalInputError) +
                         " The atlas needs a valid date and time."});
    return;
  }
  AtlasWindow window(AtlasData(), fields, *moment, ui_, this);
  window.exec();
  if (!window.Result()) return;  // closed without a lookup: the block stays as it is
  if (CopyAtlasAnswer(*window.Result(), fields)) BlockFromFields(person);
}

void MainWindow::cmdACS_Atlas_Click() { LookUpPlace(Person::One); }
void MainWindow::cmdDiurnalACS_Atlas_Click() { LookUpPlace(Person::Two); }

void MainWindow::LoadPersonFromList(int row) {
  if (row < 0) return;
  Person person = optPerson1_->isChecked() ? Person::One : Person::Two;
  FieldsFromBlock(person);
  LoadPerson(session_, person, row, ui_);
  BlockFromFields(person);
}

void MainWindow::NamesOnFile_Click() {
  QListWidgetItem* item = namesOnFile_->currentItem();
  if (!item) return;
  LoadPersonFromList(session_.names.Find(S(item->text())));
}

void MainWindow::NamesOnFile_DblClick() {
  NamesOnFile_Click();
  cmdCalculate_Click();
}

void MainWindow::StepMonth(int step) {
  FieldsFromBlock(Person::Two);
  if (!kesmora::StepMonth(session_.person2, step)) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", DiurnalInputError});
    return;
  }
  BlockFromFields(Person::Two);
  cmdCalculate_Click();
  cmdCalc_aspectarian_Click();
}

void MainWindow::mnuUpdate_back_1_month_Click() { StepMonth(-1); }
void MainWindow::mnuUpdate_forward_1_month_Click() { StepMonth(1); }

void MainWindow::cmdCalc_aspectarian_Click() {
  if (runner_->Running()) return;
  StoreWidgetsInSession();
  // The run searches the charts of the fields as they are now: calculated first when they
  // have changed since (or were never calculated), and not at all when they cannot be.
  if (!ChartsOfFields(session_)) cmdCalculate_Click();
  if (!ChartsOfFields(session_)) {
    emit runFinished(false);
    return;
  }
  const RunOptions options = RunOptionsOf(session_.settings, session_.person2);
  if (auto problem = TimePeriodProblem(options)) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", *problem});
    emit runFinished(false);
    return;
  }
  AskForMissingListFiles(options);
  startedRunChart_ = ChartOptionsOf(session_.settings);
  runner_->Start(RunInputOf(session_, options));
}

// A list whose file is not there is asked for; after a cancel it stays empty for this run.
void MainWindow::AskForMissingListFiles(const RunOptions& options) {
  for (ListKind kind : MissingListFiles(session_, options))
    Get_list_filename(this, *files_, session_, kind, ListDialogMode::Open);
}

void MainWindow::mnuFileLoad_apt_file_Click() {
  Get_list_filename(this, *files_, session_, ListKind::AuspiciousPoints, ListDialogMode::Open);
}

void MainWindow::mnuFileLoad_t2n_file_Click() {
  Get_list_filename(this, *files_, session_, ListKind::DegreePairs, ListDialogMode::Open);
}

void MainWindow::OpenListEditor(ListKind kind) {
  QPointer<TargetListWindow>& editor = listEditors_[static_cast<size_t>(kind)];
  // The window is opened anew; edits not yet saved are asked about first.
  if (editor && !editor->ChangesSettled()) {
    editor->raise();
    editor->activateWindow();
    return;
  }
  delete editor;
  editor = new TargetListWindow(session_, ui_, *files_, kind, this);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  editor->Form_Load();
}

void MainWindow::AspectarianEnded() {
  switch (runner_->LastOutcome()) {
    case AspectarianRunner::Outcome::Completed:
      ShowRunResult(runner_->TakeResult());
      if (!session_.run.notices.empty())
        ui_.ShowMessage({MessageIcon::Information, "Information", JoinNotices(session_.run.notices)});
      emit runFinished(true);
      return;
    case AspectarianRunner::Outcome::Failed:
      ui_.ShowMessage({MessageIcon::Critical, "Error", runner_->FailureMessage()});
      break;
    case AspectarianRunner::Outcome::Cancelled:
      break;
  }
  emit runFinished(false);
}

void MainWindow::ShowRunResult(RunResult result) {
  AdoptRunResult(session_, std::move(result));
  if (session_.runReport.empty()) {
    // No pass ran: the new page is empty.
    if (dataWindow_) dataWindow_->ClearText();
  } else {
    OutputD1().ShowNewPage(PageFilePath(session_.programDir), DataWindow::Page::RunReport);
  }
  OpenGridWindow();
  EnableResultButtons();
}

void MainWindow::OpenGridWindow() {
  delete gridForm_;  // the old grid goes with its window
  gridForm_ = new GridWindow(session_, this);
  connect(gridForm_, &GridWindow::saveAsCalendarRequested, this,
          [this] { SaveRunAsCalendar(gridForm_, *files_, session_, ui_); });
  gridForm_->Form_Load(RunGridRows(session_), RunGridSortKeys(session_));
  shownRunChart_ = startedRunChart_;
  UpdateStaleMarks();
}

// Every export and the hotspot finder work on the run's hits.
void MainWindow::EnableResultButtons() {
  for (QPushButton* b : {cmdCopyToCSVfile_, cmdFindHotspots_, cmdCopyToExcel_}) b->setEnabled(true);
}

DataWindow& MainWindow::OutputD1() {
  if (!dataWindow_) dataWindow_ = new DataWindow(session_, ui_, *files_, *printer_, this);
  return *dataWindow_;
}

void MainWindow::ShowHelpText(const std::string& name, const QString& caption) {
  if (!help_) {
    help_ = new HelpWindow(this);
    help_->setAttribute(Qt::WA_DeleteOnClose);
  }
  const auto file = FindIgnoringCase(session_.programDir, name);
  if (!help_->ShowText(file, caption.isEmpty() ? Q(name) : QString(caption).remove('&')))
    ui_.ShowMessage({MessageIcon::Critical, "Error", "File not found: " + file.string()});
}

std::optional<std::string> MainWindow::Get_CSV_file_filename(int loadSave) {
  Settings& s = session_.settings;
  const bool saving = loadSave == 1;
  // The first time, the file is named after Person 1, as the calendar is.
  const std::string proposed = s.csvFilename.empty() ? FileNameOf(session_.person1.name, ".csv") : s.csvFilename;
  FileRequest request{saving ? "Save data output file" : "Load data output file",
                      Q(s.csvPath.empty() ? session_.programDir.string() : s.csvPath), Q(proposed),
                      "Data output files (*.csv)", "csv"};
  auto chosen = saving ? files_->SaveFileName(this, request) : files_->OpenFileName(this, request);
  if (!chosen) return std::nullopt;
  s.csvFilename = S(*chosen);
  s.csvPath = std::filesystem::path(s.csvFilename).parent_path().string();
  return s.csvFilename;
}

void MainWindow::cmdCopyToCSVfile_Click() {
  auto file = Get_CSV_file_filename(1);
  if (!file) return;
  ui_.SetBusy(true);
  // What the grid shows, in the order it is sorted in.
  WriteResult written = WriteFileAtomically(*file, CsvText(gridForm_ ? gridForm_->RowsAsShown() : RunGridRows(session_)));
  ui_.SetBusy(false);
  if (!written) ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(*file, written)});
}

void MainWindow::cmdCopyToExcel_Click() {
  CopyGridToCalc(gridForm_ ? gridForm_->findChild<QTableWidget*>("grdOutput") : nullptr, RunGridRows(session_),
                 CalcConnection(), ui_, this);
}

void MainWindow::mnuFileLoad_Click() {
  StoreWidgetsInSession();
  if (!LoadSelectionFile(this, *files_, session_, ui_)) return;
  const Settings& s = session_.settings;
  for (size_t k = 0; k < chkP1Planets_.size(); ++k) chkP1Planets_[k]->setChecked(s.chkP1Planets[k] != 0);
  for (size_t k = 0; k < chkP2Planets_.size(); ++k) chkP2Planets_[k]->setChecked(s.chkP2Planets[k] != 0);
  for (size_t k = 0; k < chkAspects_.size(); ++k) chkAspects_[k]->setChecked(s.chkAspects[k] != 0);
}

void MainWindow::mnuFileSave_Click() {
  StoreWidgetsInSession();
  SaveSelectionFile(this, *files_, session_, ui_);
}

void MainWindow::mnuOptionOptionSettings_Click() {
  options_ = OpenOptionsWindow(options_, session_, ui_, [this] { UpdateTitle(); }, this);
}

void MainWindow::mnuHelpTipoftheDay_Click() {
  if (!tip_) {
    tip_ = new TipWindow(session_, ui_, this);
    tip_->setAttribute(Qt::WA_DeleteOnClose);
  }
  tip_->show();
  tip_->raise();
}

void MainWindow::mnuHelpAbout_Click() {
  auto* about = new AboutBox(this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->open();
}

void MainWindow::cmdFindHotspots_Click() {
  if (session_.run.hits.HitCount() == 0) return;
  if (hitsGraph_) {
    // An open graph keeps the day it shows until it is opened again.
    hitsGraph_->raise();
    hitsGraph_->activateWindow();
    return;
  }
  // The persons and the day of the run, whatever the fields hold now.
  HotspotDay day;
  day.title = session_.runTitle;
  day.date = ParseDateText(session_.runDateText, session_.formats.dateOrder).value_or(session_.runDate);
  // Written as the graph writes the days it steps to: two-digit day and month.
  day.dateText = DateText(day.date, session_.formats.dateOrder);
  day.hits = HotspotHitsOf(session_.run);
  day.counts = CountHotspots(day.hits, day.date).counts;
  hitsGraph_ = new HitsGraph(session_, ui_, *files_, *printer_,
                             [this](const CivilDate& date, int hour, int minute) { SetTransitMoment(date, hour, minute); },
                             this);
  hitsGraph_->setAttribute(Qt::WA_DeleteOnClose);
  hitsGraph_->Form_Load(std::move(day));
}

void MainWindow::SetTransitMoment(const CivilDate& date, int hour, int minute) {
  p2_->Apply([&](PersonFields& f) {
    f.month = std::to_string(date.month);
    f.day = std::to_string(date.day);
    f.year = std::to_string(date.year);
    f.half = hour >= 12 ? HalfDay::PM : HalfDay::AM;
    f.hour = std::to_string(hour);  // the hour rule turns 13..23 into 1..11 PM and 0 into 12
    f.minute = std::to_string(minute);
  });
  cmdCalculate_Click();
}

bool MainWindow::ListEditsSettled() {
  for (const QPointer<TargetListWindow>& editor : listEditors_)
    if (editor && !editor->ChangesSettled()) return false;
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Unsaved edits of the lists and the options are saved, dropped or keep the program open.
  if (!ListEditsSettled() || (options_ && !options_->close())) {
    event->ignore();
    return;
  }
  CloseEphemeris();
  StoreWidgetsInSession();
  if (WriteResult written = WriteSettings(session_.settings, session_.SettingsFile()); !written)
    ui_.ShowMessage({MessageIcon::Warning, "Warning!", "The settings could not be written to " +
                                                           session_.SettingsFile().string() + ": " + written.error + "."});
  timer1_->stop();
  event->accept();
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    raise();
    activateWindow();
  }
  QMainWindow::mouseReleaseEvent(event);
}

}  // namespace kesmora::gui
