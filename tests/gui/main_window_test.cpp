// The main window under the offscreen platform: start-up, the key rules of the fields,
// "Calculate planetary data" and the settings written at shutdown.
#include "gui/app/main_window.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/reference/text.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace kesmora;
namespace fs = std::filesystem;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<RecordingInterface> ui_;
  std::unique_ptr<gui::MainWindow> window_;

  fs::path Home() const { return fs::path(dir_.path().toStdString()) / "home"; }

  template <typename T>
  T* Find(const char* name) {
    T* w = window_->findChild<T*>(name);
    if (!w) qFatal("no widget %s", name);
    return w;
  }

  void StartWindow() {
    session_ = std::make_unique<Session>();
    ui_ = std::make_unique<RecordingInterface>();
    StartOptions start;
    start.home = Home();
    start.executableDir = KESMORA_SHIPPED_DATA_DIR;
    start.formats = LocaleFormats{DateOrder::MonthDayYear, ClockFormat::Hours24};
    StartSession(*session_, start);
    auto clock = [] { return LocalDateTime{2026, 12, 5, 18, 45}; };
    window_ = std::make_unique<gui::MainWindow>(*session_, *ui_, clock);
    window_->Start();
  }

  QString Cell(int row, int column) {
    QTableWidgetItem* item = Find<QTableWidget>("grdOutput")->item(row, column);
    return item ? item->text() : QString();
  }

 private slots:
  void init() { StartWindow(); }

  void cleanup() {
    window_.reset();
    ui_.reset();
    session_.reset();
    fs::remove_all(Home());
  }

  void startsWithNowAndFillsTheGrid() {
    QCOMPARE(Find<QLineEdit>("txtName")->text(), QString("Now"));
    QCOMPARE(Find<QLineEdit>("txtDiurnalName")->text(), QString("Transits - Now"));
    // 18:45 shows as 6 PM.
    QCOMPARE(Find<QLineEdit>("txtDiurnalHour")->text(), QString("6"));
    QVERIFY(Find<QRadioButton>("optDiurnalPM")->isChecked());
    auto* grid = Find<QTableWidget>("grdOutput");
    QCOMPARE(grid->rowCount(), session_->tables.NumPlanetsUsed());
    QCOMPARE(grid->columnCount(), 4);
    QCOMPARE(Cell(0, 0), QString("1"));
    QCOMPARE(Cell(0, 1), QString("Sun"));
    QCOMPARE(grid->horizontalHeaderItem(2)->text(), QString("Transit Longitude"));
    QCOMPARE(grid->item(0, 0)->background().color(), QColor(224, 224, 224));
    QCOMPARE(Find<QCheckBox>("chkP1Planets_0")->text(), QString("Sun"));
    QCOMPARE(Find<QCheckBox>("chkAspects_16")->text(), QString("c.p"));
    QVERIFY(window_->windowTitle().startsWith("Kesmora - v1.60 - "));
    QVERIFY(ui_->messages.empty());
  }

  void doubleClickLoadsAndCalculates() {
    auto* list = Find<QListWidget>("NamesOnFile");
    QCOMPARE(list->count(), 1);
    Find<QRadioButton>("optPerson1")->setChecked(true);
    list->setCurrentRow(0);
    window_->NamesOnFile_DblClick();
    QCOMPARE(Find<QLineEdit>("txtName")->text(), QString("Example"));
    QCOMPARE(Find<QLineEdit>("txtBirthHour")->text(), QString("10"));
    QCOMPARE(Find<QLineEdit>("txtBirthMinute")->text(), QString("43"));
    QCOMPARE(Find<QLineEdit>("txtLongMin")->text(), QString("23"));
    QVERIFY(Find<QRadioButton>("optWest")->isChecked());
    // The Sun on 22 September 1949 near 17:05 UT stood at the end of Virgo.
    QVERIFY2(Cell(0, 3).startsWith("29 Vir"), qPrintable(Cell(0, 3)));
  }

  void pressingCalculateWithABadMonthKeepsTheGrid() {
    QString before = Cell(1, 2);
    Find<QLineEdit>("txtDiurnalMonth")->setText("13");
    Find<QLineEdit>("txtDiurnalMinute")->setText("");
    QTest::mouseClick(Find<QPushButton>("cmdCalculate"), Qt::LeftButton);
    QCOMPARE(ui_->messages.size(), size_t{2});
    QCOMPARE(QString::fromStdString(ui_->messages[0].title), QString("Warning!"));
    QVERIFY(QString::fromStdString(ui_->messages[0].text).startsWith("Error in diurnal input data section. Please correct.\n"));
    QCOMPARE(Cell(1, 2), before);
  }

  void fieldsAcceptOnlyTheirKeys() {
    auto* hour = Find<QLineEdit>("txtBirthHour");
    Find<QRadioButton>("optAM")->setChecked(true);
    hour->clear();
    hour->setFocus();
    QTest::keyClicks(hour, "1x3");  // 13 becomes 1 with PM
    QCOMPARE(hour->text(), QString("1"));
    QVERIFY(Find<QRadioButton>("optPM")->isChecked());

    auto* zone = Find<QLineEdit>("txtTZ");
    zone->clear();
    QTest::keyClicks(zone, "-5.a5");
    QCOMPARE(zone->text(), QString("-5.5"));
    QTest::keyClick(zone, Qt::Key_Backspace);
    QCOMPARE(zone->text(), QString("-5."));

    auto* year = Find<QLineEdit>("txtYear");
    year->clear();
    QTest::keyClicks(year, "-12.3");
    QCOMPARE(year->text(), QString("-123"));
  }

  void minusOneWorksOncePerAdjust() {
    auto* zone = Find<QLineEdit>("txtDiurnalTZ");
    Find<QLineEdit>("txtDiurnalLongDeg")->setText("74");
    Find<QLineEdit>("txtDiurnalLongMin")->setText("0");
    QTest::mouseClick(Find<QPushButton>("cmdAdjDiurnalTZ"), Qt::LeftButton);
    QCOMPARE(zone->text(), QString("4.9333"));
    auto* minus = Find<QPushButton>("cmdDiurnalSubtractOneHour");
    QTest::mouseClick(minus, Qt::LeftButton);
    QTest::mouseClick(minus, Qt::LeftButton);
    QCOMPARE(zone->text(), QString("3.9333"));
    QVERIFY(!minus->isEnabled());
  }

  void monthStepRollsTheYear() {
    Find<QLineEdit>("txtDiurnalMonth")->setText("1");
    Find<QLineEdit>("txtDiurnalYear")->setText("2000");
    window_->mnuUpdate_back_1_month_Click();
    QCOMPARE(Find<QLineEdit>("txtDiurnalMonth")->text(), QString("12"));
    QCOMPARE(Find<QLineEdit>("txtDiurnalYear")->text(), QString("1999"));
  }

  void closingWritesTheSettings() {
    Find<QCheckBox>("chkAspects_3")->setChecked(true);
    Find<QRadioButton>("optHouseSystem_1")->setChecked(true);
    window_->close();
    auto lines = ReadLines(Home() / "Kesmora.INI");
    QVERIFY(lines.has_value());
    QCOMPARE(QString::fromStdString(lines->front()),
             QString("[Kesmora] - Do NOT change the order of these variables."));
    auto has = [&](const char* line) { return std::find(lines->begin(), lines->end(), line) != lines->end(); };
    QVERIFY(has("chkAspects_03=1"));
    QVERIFY(has("optHouseSystem_1=True"));
    QVERIFY(has("optHouseSystem_0=False"));
    QVERIFY(has("person_name_2=Transits - Now"));
  }

  void sessionRestartsFromTheWrittenSettings() {
    Find<QRadioButton>("optPerson1")->setChecked(true);
    Find<QListWidget>("NamesOnFile")->setCurrentRow(0);
    window_->NamesOnFile_Click();
    Find<QRadioButton>("optZodiac_1")->setChecked(true);
    window_->close();
    cleanupWindowOnly();
    StartWindow();
    QCOMPARE(Find<QLineEdit>("txtName")->text(), QString("Example"));
    QVERIFY(Find<QRadioButton>("optZodiac_1")->isChecked());
  }

  void aLastPersonWhoseRecordCannotBeReadStartsWithNow() {
    window_->close();
    cleanupWindowOnly();
    std::ofstream(Home() / "NAMES.FIL") << "Long,22 Sep 19490000000,10.43,A,6,95.23,29.45,TX,Houston\r\n";
    std::ofstream(Home() / "Kesmora.INI") << "person_name_1=Long\r\n";
    StartWindow();
    QCOMPARE(Find<QLineEdit>("txtName")->text(), QString("Now"));
    QCOMPARE(Find<QLineEdit>("txtYear")->text(), QString("2026"));
    QCOMPARE(ui_->messages.size(), size_t{1});
    QCOMPARE(QString::fromStdString(ui_->messages[0].text), QString(SelectedDataError));
  }

 private:
  void cleanupWindowOnly() {
    window_.reset();
    ui_.reset();
    session_.reset();
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
