// The main window: start-up, the widgets into the session and back, the title clock, the
// planet grid and closing.
#include "gui/app/main_window.h"

#include "core/app/planetary_data.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/reference/format.h"
#include "core/settings/options_file.h"
#include "gui/app/aspectarian_runner.h"
#include "gui/app/person_block.h"
#include "gui/app/tooltips.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/printer_setup.h"
#include "gui/common/text.h"
#include "gui/common/window_geometry.h"
#include "gui/search/target_list_window.h"
#include "gui/settings/options_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QGroupBox>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

namespace kesmora::gui {

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
  QWidget* content = BuildContent();
  ConnectPersonBlocks();
  setCentralWidget(content);
  SetTabOrder();
  BuildMenus();
  SetMainWindowToolTips(this);
  ExplainDisabledButtons();

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

void MainWindow::FieldsFromBlock(Person person) { Block(person).Read(Fields(person)); }

void MainWindow::BlockFromFields(Person person) { Block(person).Show(Fields(person)); }

namespace {

template <typename Ticks>
void StoreTicks(const std::vector<QCheckBox*>& boxes, Ticks& ticks) {
  for (size_t k = 0; k < boxes.size(); ++k) ticks[k] = boxes[k]->isChecked() ? 1 : 0;
}

template <typename Ticks>
void ShowTicks(const std::vector<QCheckBox*>& boxes, const Ticks& ticks) {
  for (size_t k = 0; k < boxes.size(); ++k) boxes[k]->setChecked(ticks[k] != 0);
}

}  // namespace

void MainWindow::StoreSelectionOfBoxes() {
  Settings& s = session_.settings;
  StoreTicks(transitPlanetBoxes_, s.chkP1Planets);
  StoreTicks(natalPlanetBoxes_, s.chkP2Planets);
  StoreTicks(aspectBoxes_, s.chkAspects);
}

void MainWindow::ShowSelectionInBoxes() {
  const Settings& s = session_.settings;
  ShowTicks(transitPlanetBoxes_, s.chkP1Planets);
  ShowTicks(natalPlanetBoxes_, s.chkP2Planets);
  ShowTicks(aspectBoxes_, s.chkAspects);
}

std::array<std::pair<std::string*, QLineEdit*>, 6> MainWindow::RunFieldTexts() {
  Settings& s = session_.settings;
  return {{{&s.txtDaysToCalculate, txtDaysToCalculate_},
           {&s.txtStartTime, txtStartTime_},
           {&s.txtEndTime, txtEndTime_},
           {&s.txtMinutesBeforeExact, txtMinutesBeforeExact_},
           {&s.txtMinutesAfterExact, txtMinutesAfterExact_},
           {&s.txtDaysForwardBack, txtDaysForwardBack_}}};
}

void MainWindow::StoreWidgetsInSession() {
  FieldsFromBlock(Person::One);
  FieldsFromBlock(Person::Two);
  Settings& s = session_.settings;
  StoreSelectionOfBoxes();
  for (size_t k = 0; k < 2; ++k) {
    s.optZodiac[k] = optZodiac_[k]->isChecked();
    s.chkNatal_Transit[k] = chkNatalTransit_[k]->isChecked() ? 1 : 0;
  }
  for (size_t k = 0; k < 4; ++k) s.optHouseSystem[k] = optHouseSystem_[k]->isChecked();
  for (const auto& [text, field] : RunFieldTexts()) *text = ToStdString(field->text());
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
  ShowSelectionInBoxes();
  for (size_t k = 0; k < 2; ++k) {
    // Exclusive groups cannot be cleared one button at a time; set the chosen one.
    if (s.optZodiac[k]) optZodiac_[k]->setChecked(true);
    chkNatalTransit_[k]->setChecked(s.chkNatal_Transit[k] != 0);
  }
  for (size_t k = 0; k < 4; ++k)
    if (s.optHouseSystem[k]) optHouseSystem_[k]->setChecked(true);
  for (const auto& [text, field] : RunFieldTexts()) field->setText(ToQString(*text));
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
  setWindowTitle(ToQString(session_.TitlePrefix()) + date + "  at " + time);
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
    const QString texts[] = {ToQString(row.name), ToQString(row.transit), ToQString(row.natal)};
    for (int c = 1; c < 4; ++c) {
      auto* item = new QTableWidgetItem(texts[c - 1]);
      item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      grdOutput_->setItem(r, c, item);
    }
  }
  grdOutput_->setUpdatesEnabled(true);
  grdOutput_->setVisible(true);
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
  session_.ephemeris.reset();
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
