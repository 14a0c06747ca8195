// "Calculate aspectarian times" from the main window: the keyboard alone takes a birth date to a
// saved, printed and exported run; help texts and new calculations never pass for the saved
// data; a cancelled run keeps the results shown (also when Cancel comes as it ends), the month
// step searches the new month, and a time period that is no time of day is refused before
// anything runs.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "gui/results/hits_graph.h"
#include "gui/windows/data_window.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>

#include <swephexp.h>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class AspectarianRunTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  // The grid of the Data Grid window; the main window has a planet grid of the same name.
  QTableWidget* Grid() const { return GuiFixture::FindIn<QTableWidget>(f_.Find<QWidget>("Grid_form"), "grdOutput"); }
  QStringList Column(int column) const {
    QStringList texts;
    for (int r = 0; r < Grid()->rowCount(); ++r) texts << Grid()->item(r, column)->text();
    return texts;
  }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void keyboardAloneFromBirthDataToASavedPrintedAndExportedRun() {
    // Counts every mouse event the application receives.
    struct MouseCounter : QObject {
      int events = 0;
      bool eventFilter(QObject*, QEvent* e) override {
        const auto t = e->type();
        events += t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseButtonDblClick ||
                  t == QEvent::MouseMove || t == QEvent::Wheel;
        return false;
      }
    } mice;
    qApp->installEventFilter(&mice);
    auto focus = [] { return QApplication::focusWidget(); };
    auto key = [&](Qt::Key k, Qt::KeyboardModifiers mods = {}) {
      QTest::keyClick(focus(), k, mods);
      QTest::qWait(0);
    };
    auto type = [&](const char* text) {
      QTest::keyClicks(focus(), text);
      key(Qt::Key_Tab);
    };
    // Tab (or Shift+Tab) until the named control has the focus.
    auto tabTo = [&](const QString& name, Qt::KeyboardModifiers mods = {}) {
      QStringList seen;
      for (int k = 0; k < 150 && !focus()->objectName().startsWith(name); ++k) {
        key(Qt::Key_Tab, mods);
        seen << focus()->objectName();
      }
      QVERIFY2(focus()->objectName().startsWith(name), qPrintable(name + ": " + seen.join(' ')));
    };
    GuiFixture::Activate(f_.window.get());  // as the window manager does after the tip of the day
    f_.Find<QLineEdit>("txtName")->setFocus();
    // A field selects its text when it receives the focus, so what is typed replaces it.
    QTest::qWait(0);
    // Name, month, day, year, hour and minute of 22 September 1949, 10:43 AM.
    for (const char* text : {"Keyboard", "9", "22", "1949", "10", "43"}) type(text);
    // Tab lands on the half of the day chosen (PM, from "Now" at 18:45); an arrow key moves it.
    QCOMPARE(focus()->objectName(), QString("optPM"));
    key(Qt::Key_Left);
    QCOMPARE(focus()->objectName(), QString("optAM"));
    key(Qt::Key_Tab);
    QCOMPARE(focus()->objectName(), QString("txtTZ"));
    type("6.35889");
    tabTo("txtLongDeg");
    for (const char* text : {"95", "23"}) type(text);
    tabTo("txtLatDeg");
    for (const char* text : {"29", "45"}) type(text);
    tabTo("txtBirthState_Country");
    for (const char* text : {"TX", "Houston"}) type(text);
    // Save, into the names file the dialog is answered with.
    const fs::path names = f_.session->programDir / "NAMES.FIL";
    f_.files->answer = QString::fromStdString(names.string());
    key(Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(ReadWholeFile(names).value_or("").find("Keyboard,") != std::string::npos);
    // One day, the Sun and the Moon alone: the list is one Tab stop, the arrows move in it.
    tabTo("txtDaysToCalculate");
    QTest::keyClicks(focus(), "1");
    tabTo("chkP1Planets", Qt::ShiftModifier);
    key(Qt::Key_Home);
    for (int k = 0; k < 9; ++k) {
      key(Qt::Key_Down);
      if (k >= 1) key(Qt::Key_Space);  // Mercury to Pluto
    }
    key(Qt::Key_P, Qt::AltModifier);  // "Calculate planetary data"
    // The natal Sun of 22 September 1949 stood at the end of Virgo.
    auto* planets = GuiFixture::FindIn<QTableWidget>(f_.window->centralWidget(), "grdOutput");
    QTRY_VERIFY(planets->item(0, 3)->text().startsWith("29 Vir"));
    QSignalSpy finished(f_.window.get(), &gui::MainWindow::runFinished);
    key(Qt::Key_R, Qt::AltModifier);  // "Calculate aspectarian times"
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.takeFirst().at(0).toBool());
    QVERIFY(Grid()->rowCount() > 0);
    for (const Hit& hit : f_.session->run.hits.RunHits()) QVERIFY(hit.movingPoint <= 2);  // the Sun and the Moon

    // The grid window opens last, in front; the data window is one Alt+Tab away: there File,
    // Save As, then Print data and the preview's Print.
    QTRY_COMPARE(QApplication::activeWindow(), f_.Find<QWidget>("Grid_form"));
    auto* data = f_.Find<QWidget>("OutputD1");
    GuiFixture::Activate(data);
    const fs::path report = f_.Home() / "reports" / "keyboard.txt";
    f_.files->answer = QString::fromStdString(report.string());
    key(Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
    QTRY_VERIFY(fs::exists(report));
    f_.printer->pdfFile = QString::fromStdString((f_.Home() / "keyboard.pdf").string());
    key(Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow()->objectName() == "PrntFile");
    key(Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(f_.printer->asked, 1);
    // Escape in the data window brings the main window back: export the grid to CSV.
    GuiFixture::Activate(data);
    key(Qt::Key_Escape);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(f_.window.get()));
    const fs::path csv = f_.Home() / "keyboard.csv";
    f_.files->answer = QString::fromStdString(csv.string());
    key(Qt::Key_Y, Qt::AltModifier);
    QTRY_VERIFY(fs::exists(csv));
    QCOMPARE(mice.events, 0);
    qApp->removeEventFilter(&mice);

    // The report and its printed pages carry the run's title: persons, span, zodiac and houses, orbs.
    const std::string saved = ReadWholeFile(report).value_or("");
    for (const char* title : {"Aspectarian of Keyboard and Transits - Now\r\n",
                              "Keyboard, 09/22/1949 10:43 AM, zone 6.35889, 95W23 29N45, Houston TX",
                              "1 day from midnight of 12/05/2026", "Tropical, Placidus", "30' before exact, 30' after"})
      QVERIFY2(saved.find(title) != std::string::npos, title);
    QCOMPARE(saved.substr(0, 10), std::string("Aspectaria"));
    QProcess pdf;
    pdf.start("pdftotext", {"-layout", f_.printer->pdfFile, "-"});
    QVERIFY(pdf.waitForFinished(30000));
    const QString printed = QString::fromUtf8(pdf.readAllStandardOutput());
    const int pages = static_cast<int>(printed.count('\f'));
    QVERIFY(pages >= 1);
    for (int p = 1; p <= pages; ++p) QVERIFY2(printed.contains(QString("Page %1 of %2").arg(p).arg(pages)), qPrintable(printed));
    QCOMPARE(printed.count("Aspectarian of Keyboard and Transits - Now"), pages + 1);  // the title, and each foot
    QCOMPARE(static_cast<int>(ReadLines(csv).value_or(std::vector<std::string>{}).size()), Grid()->rowCount());
  }

  void helpTextsAndNewCalculationsNeverPassForTheSavedData() {
    f_.TickTransitPlanets({1});
    f_.SetDays(1);
    QVERIFY(f_.RunAndWait());
    auto* data = f_.Find<gui::DataWindow>("OutputD1");
    auto* page = GuiFixture::FindIn<QPlainTextEdit>(data, "RichText1");
    const QString report = page->toPlainText();
    // A help text opens in its own window; the data window and the data keep the report.
    f_.Find<QAction>("mnuMainMenuHelp")->trigger();
    QVERIFY(GuiFixture::FindIn<QPlainTextEdit>(f_.Find<QWidget>("HelpText"), "txtHelp")->toPlainText().startsWith("KESMORA"));
    QCOMPARE(page->toPlainText(), report);
    const fs::path file = f_.Home() / "reports" / "saved.txt";
    f_.files->answer = QString::fromStdString(file.string());
    data->mnuFileSaveAs_Click();
    // What is saved is what the page shows, form feeds aside.
    QString saved = QString::fromStdString(ReadWholeFile(file).value_or("")).replace("\r\n", "\n").remove('\f');
    QCOMPARE(saved.trimmed(), report.trimmed());
    // A calculation (a right click on the hits graph makes one) empties the data: the page says so.
    QVERIFY(!GuiFixture::FindIn<QLabel>(data, "lblNotInData")->isVisible());
    f_.window->SetTransitMoment({2026, 12, 5}, 13, 15);
    QVERIFY(GuiFixture::FindIn<QLabel>(data, "lblNotInData")->isVisible());
    QVERIFY(data->windowTitle().endsWith("(not in the data to save or print)"));
    data->mnuPrintData_Click();
    QCOMPARE(f_.ui->messages.back().text, std::string("No data to print."));
    // The next run's report is in the data again.
    QVERIFY(f_.RunAndWait());
    QVERIFY(!GuiFixture::FindIn<QLabel>(data, "lblNotInData")->isVisible());
  }

  // A run searches the charts of the fields as they are now: a transit day typed after the
  // charts were calculated marks the planet grid out of date and is calculated before the run;
  // the graph names the run's persons and day, not a name typed after it.
  void runSearchesTheChartsTheFieldsShow() {
    f_.LoadExampleAsPerson1();
    auto* planetData = f_.Find<QGroupBox>("PlanetData");
    QCOMPARE(planetData->title(), QString("Planet Data"));
    f_.Find<QLineEdit>("txtDiurnalDay")->setText("12");
    QCOMPARE(planetData->title(), QString("Planet Data (out of date)"));
    f_.Find<QLineEdit>("txtBirthCity")->setText("Somewhere");  // no chart reads the city
    f_.Find<QLineEdit>("txtDiurnalDay")->setText("5");
    QCOMPARE(planetData->title(), QString("Planet Data"));
    f_.Find<QLineEdit>("txtDiurnalDay")->setText("12");
    f_.TickTransitPlanets({0, 1});
    f_.SetDays(1);
    QVERIFY(f_.RunAndWait());
    QCOMPARE(planetData->title(), QString("Planet Data"));
    QCOMPARE(f_.session->chart.transitJulianDay, swe_julday(2026, 12, 12, 18.75, SE_GREG_CAL));
    QCOMPARE(f_.session->run.span.start, swe_julday(2026, 12, 12, 0, SE_GREG_CAL));

    f_.Find<QLineEdit>("txtName")->setText("Somebody Else");
    f_.Find<QLineEdit>("txtDiurnalDay")->setText("20");
    QTest::mouseClick(f_.Find<QPushButton>("cmdFindHotspots"), Qt::LeftButton);
    const HitsSeries& series = GuiFixture::FindIn<gui::HitsGraph>(f_.window.get(), "Hits_graph")->State().series;
    QCOMPARE(series.title, std::string("Example and Transits - Now"));
    QCOMPARE(series.dateText, std::string("12/12/2026"));
  }

  void cancelLeavesThePreviousRun() {
    f_.TickTransitPlanets({1});
    f_.SetDays(1);
    QVERIFY(f_.RunAndWait());
    const QStringList grid = Column(2) + Column(12);
    auto* report = GuiFixture::FindIn<QPlainTextEdit>(f_.Find<QWidget>("OutputD1"), "RichText1");
    const QString text = report->toPlainText();
    // Every transit planet over ten years: long enough to be cancelled once progress shows.
    for (auto* box : f_.window->findChildren<QCheckBox*>(QRegularExpression("^chkP1Planets_"))) box->setChecked(true);
    f_.SetDays(3650);
    QSignalSpy finished(f_.window.get(), &gui::MainWindow::runFinished);
    f_.window->cmdCalc_aspectarian_Click();
    auto* progress = f_.Find<QProgressDialog>("RunProgress");
    // The first stage shows at once: the positions of the moving bodies.
    QTRY_VERIFY_WITH_TIMEOUT(progress->labelText() != "Calculating aspectarian times", 30000);
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.takeFirst().at(0).toBool(), false);
    QVERIFY(!progress->isVisible());
    QCOMPARE(Column(2) + Column(12), grid);
    QCOMPARE(report->toPlainText(), text);
    QVERIFY(f_.ui->messages.empty());
    // Cancel pressed as a short run ends, after its last question to the control, is heard too.
    f_.SetDays(1);
    f_.window->cmdCalc_aspectarian_Click();
    QThread::sleep(3);  // the run is over by now; its end waits for this thread
    progress->reject();
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.takeFirst().at(0).toBool(), false);
    QCOMPARE(Column(2) + Column(12), grid);
    QCOMPARE(report->toPlainText(), text);
  }

  // The CSV file once held the run's order whatever the grid showed, and had no name proposed.
  void csvHoldsTheGridAsSortedAndIsNamedAfterPerson1() {
    f_.LoadExampleAsPerson1();
    f_.TickTransitPlanets({1});
    f_.SetDays(1);
    QVERIFY(f_.RunAndWait());
    QVERIFY(Grid()->rowCount() > 1);
    Grid()->sortItems(0, Qt::DescendingOrder);  // the last hit first
    const QString csv = QString::fromStdString((f_.Home() / "grid.csv").string());
    f_.files->answer = csv;
    f_.Find<QPushButton>("cmdCopyToCSVfile")->click();
    QCOMPARE(f_.files->requests.back().fileName, QString("Example.csv"));
    QCOMPARE(f_.files->requests.back().directory, QString::fromStdString(f_.Home().string()));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), Grid()->rowCount());
    for (int r = 0; r < Grid()->rowCount(); ++r) {
      QStringList cells;
      for (int c = 1; c <= 13; ++c) cells << '"' + Grid()->item(r, c)->text().replace('"', "\"\"") + '"';
      QCOMPARE(lines[r], cells.join(','));
    }
  }

  void monthStepIntoAShortMonthEndsOnItsLastDay() {
    f_.TickTransitPlanets({1});  // the Moon aspects something every day
    f_.SetDays(1);
    f_.Find<QLineEdit>("txtDiurnalMonth")->setText("1");
    f_.Find<QLineEdit>("txtDiurnalDay")->setText("31");
    f_.Find<QLineEdit>("txtDiurnalYear")->setText("2027");
    QSignalSpy finished(f_.window.get(), &gui::MainWindow::runFinished);
    f_.window->mnuUpdate_forward_1_month_Click();
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.takeFirst().at(0).toBool());
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalMonth")->text(), QString("2"));
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalDay")->text(), QString("28"));
    // The search starts on 28 February, not on 3 March.
    QVERIFY(Grid()->rowCount() > 0);
    QVERIFY2(Column(12).front().startsWith("02/28/2027"), qPrintable(Column(12).front()));
    for (const QString& exact : Column(12)) QVERIFY2(!exact.startsWith("03/03"), qPrintable(exact));
  }

  void aTimePeriodThatIsNoTimeOfDayIsRefused() {
    f_.TickTransitPlanets({1});
    f_.Find<QCheckBox>("chkEnableTimePeriod")->setChecked(true);
    f_.Find<QLineEdit>("txtEndTime")->setText("04.00");
    for (const char* start : {"99.99", "10.75", "", "20.00"}) {
      f_.ui->messages.clear();
      f_.Find<QLineEdit>("txtStartTime")->setText(start);
      const bool valid = std::string(start) == "20.00";
      QCOMPARE(f_.RunAndWait(), valid);
      QCOMPARE(f_.ui->messages.size(), valid ? size_t{0} : size_t{1});
      if (!valid) QCOMPARE(f_.ui->messages.front().text, std::string(TimePeriodInputError));
    }
  }
};

QTEST_MAIN(AspectarianRunTest)
#include "aspectarian_run_test.moc"
