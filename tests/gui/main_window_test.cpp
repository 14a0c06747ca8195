// The main window under the offscreen platform: start-up, its size on a laptop screen, the key
// rules of the fields, the keyboard, "Calculate planetary data" and the settings written at
// shutdown.
#include "gui/app/main_window.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/chart/planetary_data.h"
#include "core/reference/text.h"

#include <QCheckBox>
#include <QClipboard>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>

using namespace kesmora;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(kesmora::WindowRect)

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

  // `before` changes the session as read from the files, before the window starts.
  void StartWindow(const std::function<void(Session&)>& before = {}) {
    session_ = std::make_unique<Session>();
    ui_ = std::make_unique<RecordingInterface>();
    StartOptions start;
    start.home = Home();
    start.executableDir = KESMORA_SHIPPED_DATA_DIR;
    start.formats = LocaleFormats{DateOrder::MonthDayYear, ClockFormat::Hours24};
    StartSession(*session_, start);
    if (before) before(*session_);
    auto clock = [] { return LocalDateTime{2026, 12, 5, 18, 45}; };
    window_ = std::make_unique<gui::MainWindow>(*session_, *ui_, clock);
    window_->Start();
  }

  void Activate() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  // The width a line edit gives its text, without its frame and margins.
  static int TextRoom(QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * 2;  // QLineEdit's own margin of 2
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

  void fitsALaptopScreenWithEveryFieldWhole() {
    // A 1366 x 768 screen less a title bar and a panel.
    const QSize fitting = window_->FittingSize();
    QVERIFY2(fitting.width() <= 1366 && fitting.height() <= 768 - 70,
             qPrintable(QString("%1 x %2").arg(fitting.width()).arg(fitting.height())));
    window_->resize(fitting);
    QTest::qWait(0);
    auto* scroll = Find<QScrollArea>("MainScroll");
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(!scroll->verticalScrollBar()->isVisible());

    // The longest text each field holds in use.
    const std::pair<const char*, const char*> longest[] = {
        {"Month", "12"},      {"Day", "31"},          {"Year", "2099"},      {"BirthHour", "12"},
        {"BirthMinute", "59.99"}, {"TZ", "-12.35889"}, {"LongDeg", "180"},    {"LongMin", "59"},
        {"LatDeg", "90"},     {"LatMin", "59"},       {"Name", "Transits - Now"}};
    for (const auto& [field, text] : longest) {
      // Person 2's fields insert "Diurnal"; its hour and minute fields drop "Birth".
      QString diurnal = QString("txtDiurnal") + QString(field).remove("Birth");
      for (const QString& name : {QString("txt") + field, diurnal}) {
        auto* edit = Find<QLineEdit>(qPrintable(name));
        QVERIFY2(TextRoom(edit) >= edit->fontMetrics().horizontalAdvance(text), qPrintable(name));
      }
    }
    const std::pair<const char*, const char*> runFields[] = {
        {"txtDaysToCalculate", "32767"}, {"txtStartTime", "23.59"}, {"txtEndTime", "23.59"},
        {"txtDaysForwardBack", "32767"}, {"txtMinutesBeforeExact", "32767"}, {"txtMinutesAfterExact", "32767"}};
    for (const auto& [name, text] : runFields) {
      auto* edit = Find<QLineEdit>(name);
      QVERIFY2(TextRoom(edit) >= edit->fontMetrics().horizontalAdvance(text), name);
    }
  }

  void storedPlaceIsBroughtOntoTheScreen_data() {
    QTest::addColumn<WindowRect>("stored");
    QTest::newRow("the default, taller than the screen") << Settings{}.mainWindow;
    QTest::newRow("far off to the right and below") << WindowRect{30000, 40000, 9000, 16000};
    QTest::newRow("above and to the left") << WindowRect{-3000, -6000, 9000, 16000};
    QTest::newRow("larger than the screen") << WindowRect{0, 0, 30000, 40000};
  }

  void storedPlaceIsBroughtOntoTheScreen() {
    QFETCH(WindowRect, stored);
    cleanup();
    StartWindow([&](Session& s) { s.settings.mainWindow = stored; });
    const QRect available = window_->screen()->availableGeometry();
    QVERIFY2(available.contains(window_->frameGeometry()),
             qPrintable(QString("%1,%2 %3x%4").arg(window_->x()).arg(window_->y()).arg(window_->width()).arg(window_->height())));
    // Wide enough for its contents, as far as the screen allows.
    const int room = available.width() - (window_->frameGeometry().width() - window_->width());
    QVERIFY(window_->width() >= std::min(window_->FittingSize().width(), room));
  }

  void editingKeysPassTheDigitFilter() {
    Activate();
    auto* month = Find<QLineEdit>("txtMonth");
    month->setFocus();
    QTest::keyClick(month, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Find<QLineEdit>("txtDay")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(month));

    month->setText("123");
    month->setCursorPosition(0);
    QTest::keyClick(month, Qt::Key_Delete);
    QCOMPARE(month->text(), QString("23"));
    QTest::keyClick(month, Qt::Key_Right);
    QTest::keyClick(month, Qt::Key_Delete);
    QCOMPARE(month->text(), QString("2"));
    QTest::keyClick(month, Qt::Key_Home);
    QTest::keyClicks(month, "1x");
    QCOMPARE(month->text(), QString("12"));

    // Pasting is typing: what the field refuses is left out.
    auto* zone = Find<QLineEdit>("txtTZ");
    zone->clear();
    QApplication::clipboard()->setText("-5 h 30.5");
    QTest::keySequence(zone, QKeySequence::Paste);
    QCOMPARE(zone->text(), QString("-530.5"));
  }

  void arrowKeysChooseAName() {
    cleanup();
    StartWindow([](Session& s) {
      auto names = ReadWholeFile(s.programDir / "NAMES.FIL").value_or("");
      if (!WriteFileAtomically(s.programDir / "NAMES.FIL", names + "Second,1 Jan 2000,12.00,P,0,0,51.29,,London\r\n"))
        qFatal("cannot write the names file");
    });
    Find<QRadioButton>("optPerson2")->setChecked(true);
    Activate();
    auto* names = Find<QListWidget>("NamesOnFile");
    QCOMPARE(names->count(), 2);
    names->setFocus();
    QTest::qWait(0);
    // Receiving the focus chooses nothing.
    QCOMPARE(Find<QLineEdit>("txtDiurnalName")->text(), QString("Transits - Now"));
    QTest::keyClick(names, Qt::Key_Down);
    QCOMPARE(Find<QLineEdit>("txtDiurnalName")->text(), QString("Second"));
    QTest::keyClick(names, Qt::Key_Up);
    QCOMPARE(Find<QLineEdit>("txtDiurnalName")->text(), QString("Example"));
    QCOMPARE(Find<QLineEdit>("txtDiurnalLongMin")->text(), QString("23"));
    QCOMPARE(Find<QLineEdit>("txtName")->text(), QString("Now"));
    // Enter also calculates: the transit Sun is the Example's Sun, at the end of Virgo.
    QTest::keyClick(names, Qt::Key_Return);
    QVERIFY2(Cell(0, 2).startsWith("29 Vir"), qPrintable(Cell(0, 2)));
    QVERIFY(ui_->messages.empty());
  }

  void everyButtonHasItsOwnAccessKey() {
    QSet<QChar> keys;
    for (QAction* menu : window_->menuBar()->actions()) {
      const int amp = menu->text().indexOf('&');
      QVERIFY(amp >= 0);
      keys.insert(menu->text().at(amp + 1).toUpper());
    }
    for (QPushButton* button : window_->centralWidget()->findChildren<QPushButton*>()) {
      const QString text = button->text();
      const int amp = text.indexOf('&');
      QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(button->objectName()));
      const QChar key = text.at(amp + 1).toUpper();
      QVERIFY2(!keys.contains(key), qPrintable(button->objectName() + " " + text));
      keys.insert(key);
    }
    // The captions keep their text.
    QCOMPARE(Find<QPushButton>("cmdDiurnalNow")->text().remove('&'), QString("Now"));
    QCOMPARE(Find<QPushButton>("cmdCalc_aspectarian")->text().remove('&'), QString("Calculate aspectarian times"));
  }

  void altNFillsPersonOneAndShiftAltNPersonTwo() {
    Activate();
    Find<QLineEdit>("txtName")->setText("someone");
    Find<QLineEdit>("txtDiurnalName")->setText("some day");
    // A button's access key presses it as a click does, a moment later.
    QTest::keyClick(window_.get(), Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(Find<QLineEdit>("txtName")->text(), QString("Now"));
    QCOMPARE(Find<QLineEdit>("txtDiurnalName")->text(), QString("some day"));
    QTest::keyClick(window_.get(), Qt::Key_N, Qt::AltModifier | Qt::ShiftModifier);
    QCOMPARE(Find<QLineEdit>("txtDiurnalName")->text(), QString("Transits - Now"));
    Find<QLineEdit>("txtDiurnalName")->setText("some day");
    QTest::keyClick(window_.get(), Qt::Key_W, Qt::AltModifier);
    QTRY_COMPARE(Find<QLineEdit>("txtDiurnalName")->text(), QString("Transits - Now"));
  }

  void resultButtonsThatDoNothingStayDisabled() {
    for (const char* name : {"cmdFindHotspots", "cmdCopyToExcel"})
      QVERIFY2(!Find<QPushButton>(name)->isEnabled(), name);
  }

  void monthStepRefusesAYearBeyondItsRange() {
    Find<QLineEdit>("txtDiurnalYear")->setText("99999999");
    Find<QLineEdit>("txtDiurnalMonth")->setText("3");
    window_->mnuUpdate_forward_1_month_Click();
    QCOMPARE(Find<QLineEdit>("txtDiurnalMonth")->text(), QString("3"));
    QCOMPARE(ui_->messages.size(), size_t{1});
    QCOMPARE(ui_->messages[0].text, std::string(DiurnalInputError));
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
