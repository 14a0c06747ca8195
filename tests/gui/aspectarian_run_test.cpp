// "Calculate aspectarian times" from the main window: the run on its worker thread, the data
// window and the data grid it fills, cancelling, the month step and the CSV export.
#include "gui_fixture.h"

#include "core/app/run.h"
#include "gui/app/aspectarian_runner.h"
#include "core/output/output_buffer.h"
#include "core/reference/text.h"
#include "gui/results/grid_window.h"
#include "gui/windows/data_window.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QAction>
#include <QTableWidget>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class AspectarianRunTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  QWidget* GridForm() const { return GuiFixture::FindIn<QWidget>(f_.window.get(), "Grid_form"); }
  // The grid of the Data Grid window; the main window has a planet grid of the same name.
  QTableWidget* Grid() const { return GuiFixture::FindIn<QTableWidget>(GridForm(), "grdOutput"); }

  QStringList GridTexts() const {
    QStringList texts;
    QTableWidget* grid = Grid();
    for (int r = 0; r < grid->rowCount(); ++r)
      for (int c = 0; c < grid->columnCount(); ++c) texts << grid->item(r, c)->text();
    return texts;
  }

  QString ReportText() const {
    auto* data = GuiFixture::FindIn<QWidget>(f_.window.get(), "OutputD1");
    return GuiFixture::FindIn<QPlainTextEdit>(data, "RichText1")->toPlainText();
  }

  // Example as Person 1, the transit moment of the fixed clock, two days, three planets.
  bool RunShortSearch() {
    f_.LoadExampleAsPerson1();
    f_.TickTransitPlanets({0, 1, 2});
    f_.SetDays(2);
    return f_.RunAndWait();
  }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void calculateEnablesTheRunButton() {
    // Start-up ran "Calculate planetary data"; a failed check enables it as well.
    QVERIFY(f_.Find<QPushButton>("cmdCalc_aspectarian")->isEnabled());
    for (const char* name : {"cmdCopyToCSVfile", "cmdCopyToExcel", "cmdFindHotspots"})
      QVERIFY2(!f_.Find<QPushButton>(name)->isEnabled(), name);
  }

  void runFillsTheGridAndTheDataWindow() {
    f_.session->settings.gridForm = {1500, 3000, 6000, 9000};
    QVERIFY(RunShortSearch());
    const int hits = f_.session->run.hits.HitCount();
    QVERIFY(hits > 0);

    QWidget* form = GridForm();
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QString("Data Grid"));
    QCOMPARE(form->pos(), QPoint(200, 100));
    QCOMPARE(form->size(), QSize(600, 400));
    QCOMPARE(GuiFixture::FindIn<QGroupBox>(form, "Frame13")->title(), QString("Planet Data"));
    QTableWidget* grid = Grid();
    QCOMPARE(grid->rowCount(), hits);
    QCOMPARE(grid->columnCount(), 14);
    QCOMPARE(grid->horizontalHeaderItem(12)->text(), QString("Exact Date and Time"));
    QVERIFY(grid->columnWidth(2) >= 1770 / 15);  // the designed width is the least
    QVERIFY(grid->columnWidth(12) >= grid->fontMetrics().horizontalAdvance(grid->item(0, 12)->text()));
    QCOMPARE(grid->item(0, 0)->text(), QString("1"));
    QCOMPARE(grid->item(hits - 1, 0)->text(), QString::number(hits));
    QCOMPARE(grid->item(0, 0)->background().color(), QColor(224, 224, 224));
    QCOMPARE(grid->item(0, 2)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
    QCOMPARE(grid->item(0, 12)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignHCenter));
    QVERIFY(grid->editTriggers() == QAbstractItemView::NoEditTriggers);
    const QStringList transitPlanets{"Sun", "Moon", "Mercury"};
    for (int r = 0; r < hits; ++r) {
      QVERIFY2(transitPlanets.contains(grid->item(r, 2)->text()), qPrintable(grid->item(r, 2)->text()));
      // Two days from local midnight of 5 December 2026.
      QVERIFY2(grid->item(r, 12)->text().startsWith("12/0"), qPrintable(grid->item(r, 12)->text()));
    }

    QString report = ReportText();
    QVERIFY(report.contains("  Aspects found - transit to natal:"));
    QCOMPARE(GuiFixture::FindIn<QWidget>(f_.window.get(), "OutputD1")->windowTitle(),
             QString("Kesmora - v1.60 - Data"));
    QVERIFY(f_.Find<QPushButton>("cmdCopyToCSVfile")->isEnabled());
    for (const char* name : {"cmdFindHotspots", "cmdCopyToExcel"}) QVERIFY2(f_.Find<QPushButton>(name)->isEnabled(), name);
    QVERIFY(f_.ui->messages.empty());
  }

  void gridShowsThePeriods() {
    QVERIFY(RunShortSearch());
    QTableWidget* grid = Grid();
    const std::vector<GridRow> rows = RunGridRows(*f_.session);
    int withPeriods = 0;
    for (int r = 0; r < grid->rowCount(); ++r) {
      const GridRow& p = rows[static_cast<size_t>(r)];
      QCOMPARE(grid->item(r, 11)->text(), QString::fromStdString(p[11]));
      QCOMPARE(grid->item(r, 13)->text(), QString::fromStdString(p[13]));
      if (!p[11].empty() && !p[13].empty()) ++withPeriods;
    }
    QVERIFY(withPeriods > 0);
  }

  void secondRunReplacesTheGrid() {
    QVERIFY(RunShortSearch());
    const int twoDays = Grid()->rowCount();
    f_.SetDays(1);
    QVERIFY(f_.RunAndWait());
    QCOMPARE(f_.window->findChildren<gui::GridWindow*>().size(), qsizetype{1});
    QCOMPARE(Grid()->rowCount(), f_.session->run.hits.HitCount());
    QVERIFY(Grid()->rowCount() < twoDays);
  }

  void cancelLeavesThePreviousRun() {
    QVERIFY(RunShortSearch());
    const QStringList gridBefore = GridTexts();
    const QString reportBefore = ReportText();
    const int linesBefore = f_.session->output.AllLineCount();
    const auto rowsBefore = RunGridRows(*f_.session);
    const auto blocksBefore = f_.session->runReport;
    QWidget* formBefore = GridForm();

    f_.TickAllTransitPlanets();
    f_.SetDays(3650);
    QSignalSpy finished(f_.window.get(), &gui::MainWindow::runFinished);
    f_.window->cmdCalc_aspectarian_Click();
    auto* progress = f_.Find<QProgressDialog>("RunProgress");
    QVERIFY(progress->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), progress);
    // Progress arrives from the worker while the window thread keeps running.
    QTRY_VERIFY_WITH_TIMEOUT(progress->labelText() == "Pass 0: transit to natal", 30000);
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.takeFirst().at(0).toBool(), false);

    QVERIFY(!progress->isVisible());
    QCOMPARE(GridForm(), formBefore);
    QCOMPARE(GridTexts(), gridBefore);
    QCOMPARE(ReportText(), reportBefore);
    QCOMPARE(f_.session->output.AllLineCount(), linesBefore);
    QVERIFY(RunGridRows(*f_.session) == rowsBefore);
    QVERIFY(f_.session->runReport == blocksBefore);
    QVERIFY(f_.ui->messages.empty());
    // A new run can start at once.
    f_.TickTransitPlanets({0});
    f_.SetDays(1);
    QVERIFY(f_.RunAndWait());
  }

  void progressTextNamesThePass() {
    QCOMPARE(gui::RunProgressText(0), QString("Pass 0: transit to natal"));
    QCOMPARE(gui::RunProgressText(1), QString("Pass 1: transit to transit"));
    QCOMPARE(gui::RunProgressText(7), QString("Start and end periods"));
  }

  void monthStepIntoAShortMonthEndsOnItsLastDay() {
    f_.TickTransitPlanets({1});
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
    // The day searched is 28 February, not 3 March.
    QVERIFY(Grid()->rowCount() > 0);
    QVERIFY2(Grid()->item(0, 12)->text().startsWith("02/28/2027"), qPrintable(Grid()->item(0, 12)->text()));
    for (int r = 0; r < Grid()->rowCount(); ++r)
      QVERIFY2(!Grid()->item(r, 12)->text().startsWith("03/03"), qPrintable(Grid()->item(r, 12)->text()));
  }

  void zodiacOrHousesChangedMarkTheResults() {
    QVERIFY(RunShortSearch());
    auto* data = GuiFixture::FindIn<QWidget>(f_.window.get(), "OutputD1");
    const QString stale = " (before the change of zodiac/houses)";
    QCOMPARE(GridForm()->windowTitle(), QString("Data Grid"));
    QTest::mouseClick(f_.Find<QRadioButton>("optZodiac_1"), Qt::LeftButton);
    QCOMPARE(GridForm()->windowTitle(), "Data Grid" + stale);
    QCOMPARE(data->windowTitle(), "Kesmora - v1.60 - Data" + stale);
    // Back to the run's own choice: the results are current again.
    QTest::mouseClick(f_.Find<QRadioButton>("optZodiac_0"), Qt::LeftButton);
    QCOMPARE(GridForm()->windowTitle(), QString("Data Grid"));
    QTest::mouseClick(f_.Find<QRadioButton>("optHouseSystem_2"), Qt::LeftButton);
    QCOMPARE(GridForm()->windowTitle(), "Data Grid" + stale);
    QCOMPARE(data->windowTitle(), "Kesmora - v1.60 - Data" + stale);
    // A help text is no result; the next run is current.
    f_.Find<QAction>("mnuHintsTips")->trigger();
    QCOMPARE(data->windowTitle(), QString("Kesmora - v1.60 - Data"));
    QVERIFY(f_.RunAndWait());
    QCOMPARE(GridForm()->windowTitle(), QString("Data Grid"));
    QCOMPARE(data->windowTitle(), QString("Kesmora - v1.60 - Data"));
  }

  void keyboardAloneTakesABirthDateToTheGrid() {
    // Counts every mouse event the application receives.
    struct MouseCounter : QObject {
      int events = 0;
      bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
          case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
          case QEvent::MouseMove: case QEvent::Wheel: ++events; break;
          default: break;
        }
        return false;
      }
    } mice;
    qApp->installEventFilter(&mice);
    f_.TickTransitPlanets({0, 1});
    f_.SetDays(1);
    f_.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f_.window.get()));
    f_.Find<QLineEdit>("txtName")->setFocus();
    // A field selects its text when it receives the focus, so what is typed replaces it.
    QTest::qWait(0);
    auto type = [](const char* text) {
      QTest::keyClicks(QApplication::focusWidget(), text);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QTest::qWait(0);
    };
    // Name, month, day, year, hour and minute of 22 September 1949, 10:43 AM.
    for (const char* text : {"Keyboard", "9", "22", "1949", "10", "43"}) type(text);
    // Tab lands on the half of the day chosen (PM, from "Now" at 18:45); an arrow key moves it.
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("optPM"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("optAM"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::qWait(0);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("txtTZ"));
    type("6.35889");
    QCOMPARE(f_.Find<QLineEdit>("txtBirthMinute")->text(), QString("43"));
    QVERIFY(f_.Find<QRadioButton>("optAM")->isChecked());

    QTest::keyClick(f_.window.get(), Qt::Key_P, Qt::AltModifier);  // "Calculate planetary data"
    // The natal Sun of 22 September 1949 stood at the end of Virgo.
    auto* planets = GuiFixture::FindIn<QTableWidget>(f_.window->centralWidget(), "grdOutput");
    QTRY_VERIFY(planets->item(0, 3)->text().startsWith("29 Vir"));
    QSignalSpy finished(f_.window.get(), &gui::MainWindow::runFinished);
    QTest::keyClick(f_.window.get(), Qt::Key_R, Qt::AltModifier);  // "Calculate aspectarian times"
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.takeFirst().at(0).toBool());
    QVERIFY(Grid()->rowCount() > 0);
    QCOMPARE(mice.events, 0);
    qApp->removeEventFilter(&mice);
  }

  void monthStepRunsTheSearchForTheNewMonth() {
    f_.TickTransitPlanets({1});  // the Moon aspects something every day
    f_.SetDays(1);
    QSignalSpy finished(f_.window.get(), &gui::MainWindow::runFinished);
    f_.window->mnuUpdate_forward_1_month_Click();
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.takeFirst().at(0).toBool());
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalMonth")->text(), QString("1"));
    QVERIFY(Grid()->rowCount() > 0);
    QVERIFY2(Grid()->item(0, 12)->text().startsWith("01/0"), qPrintable(Grid()->item(0, 12)->text()));
  }

  void csvExportWritesTheGrid() {
    QVERIFY(RunShortSearch());
    const fs::path csv = f_.Home() / "out" / "grid.csv";
    fs::create_directories(csv.parent_path());
    f_.files->answer = QString::fromStdString(csv.string());
    QTest::mouseClick(f_.Find<QPushButton>("cmdCopyToCSVfile"), Qt::LeftButton);

    QCOMPARE(f_.files->requests.size(), size_t{1});
    const gui::FileRequest& asked = f_.files->requests.front();
    QCOMPARE(asked.title, QString("Save data output file"));
    QCOMPARE(asked.filter, QString("Data output files (*.csv)"));
    QCOMPARE(asked.defaultSuffix, QString("csv"));
    QCOMPARE(asked.directory, QString::fromStdString(f_.session->programDir.string()));
    QCOMPARE(f_.session->settings.csvFilename, csv.string());
    QCOMPARE(f_.session->settings.csvPath, csv.parent_path().string());

    auto text = ReadWholeFile(csv);
    QVERIFY(text.has_value());
    QString content = QString::fromStdString(*text);
    QVERIFY(content.endsWith("\r\n"));
    QStringList lines = content.split("\r\n");
    lines.removeLast();
    QTableWidget* grid = Grid();
    QCOMPARE(lines.size(), grid->rowCount());
    // Columns "Type" to "End Period", each quoted, a quote inside (the seconds mark) doubled.
    for (int r = 0; r < lines.size(); ++r) {
      QStringList expected;
      for (int c = 1; c <= 13; ++c) expected << '"' + grid->item(r, c)->text().replace("\"", "\"\"") + '"';
      QCOMPARE(lines[r], expected.join(','));
    }

    // The next export starts from the file chosen last.
    f_.files->answer.reset();
    f_.window->cmdCopyToCSVfile_Click();
    QCOMPARE(f_.files->requests.back().fileName, QString::fromStdString(csv.string()));
    QCOMPARE(f_.files->requests.back().directory, QString::fromStdString(csv.parent_path().string()));
  }

  void cancelledCsvDialogWritesNothing() {
    QVERIFY(RunShortSearch());
    const std::string pathBefore = f_.session->settings.csvPath;
    f_.files->answer.reset();
    f_.window->cmdCopyToCSVfile_Click();
    QCOMPARE(f_.files->requests.size(), size_t{1});
    QCOMPARE(f_.session->settings.csvPath, pathBefore);
    QVERIFY(f_.session->settings.csvFilename.empty());
  }

  void listPointsAreNamedInTheGrid() {
    std::string everyPada;
    for (int mansion = 1; mansion <= 27; ++mansion)
      for (int pada = 1; pada <= 4; ++pada)
        everyPada += QString("Nak-%1, pada %2/Moon\r\n").arg(mansion, 2, 10, QChar('0')).arg(pada).toStdString();
    const fs::path list = f_.Home() / "every_pada.nak";
    QVERIFY(WriteFileAtomically(list, everyPada));
    f_.session->settings.nakFilename = list.string();
    f_.Find<QCheckBox>("chkNatal_Transit_0")->setChecked(false);
    f_.Find<QCheckBox>("chkIncludeLunarMansions")->setChecked(true);
    f_.SetDays(1);
    QVERIFY(f_.RunAndWait());
    // The Moon passes several padas a day.
    QVERIFY(Grid()->rowCount() > 1);
    for (int r = 0; r < Grid()->rowCount(); ++r)
      QVERIFY2(Grid()->item(r, 2)->text().startsWith("Nak-"), qPrintable(Grid()->item(r, 2)->text()));
  }

  void runWithoutHitsGivesAnEmptyGridAndCsv() {
    f_.Find<QCheckBox>("chkNatal_Transit_0")->setChecked(false);
    f_.Find<QCheckBox>("chkNatal_Transit_1")->setChecked(false);
    QVERIFY(f_.RunAndWait());
    QCOMPARE(Grid()->rowCount(), 0);
    QCOMPARE(Grid()->columnCount(), 14);
    QVERIFY(f_.Find<QPushButton>("cmdCopyToCSVfile")->isEnabled());
    const fs::path csv = f_.Home() / "empty.csv";
    f_.files->answer = QString::fromStdString(csv.string());
    f_.window->cmdCopyToCSVfile_Click();
    QCOMPARE(ReadWholeFile(csv), std::optional<std::string>(""));
  }
};

QTEST_MAIN(AspectarianRunTest)
#include "aspectarian_run_test.moc"
