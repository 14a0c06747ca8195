// "Calculate aspectarian times" from the main window: the keyboard alone takes a birth date to
// the data grid, a cancelled run keeps the results shown (also when Cancel comes as it ends),
// the month step searches the new month, and a time period that is no time of day is refused
// before anything runs.
#include "gui_fixture.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>

using namespace kesmora;
using kesmora::test::GuiFixture;

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

  void keyboardAloneTakesABirthDateToTheGrid() {
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
    f_.TickTransitPlanets({0, 1});
    f_.SetDays(1);
    GuiFixture::Activate(f_.window.get());
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
