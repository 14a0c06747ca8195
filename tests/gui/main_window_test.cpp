// The main window under the offscreen platform: its size on a laptop screen and the keyboard
// (Tab order, access keys, arrow keys in the names list).
#include "gui_fixture.h"

#include "core/reference/text.h"

#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableWidget>

using namespace kesmora;
using kesmora::test::GuiFixture;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  // The width a line edit gives its text, without its frame and margins.
  static int TextRoom(QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * 2;  // QLineEdit's own margin of 2
  }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void fitsALaptopScreenWithEveryFieldWhole() {
    // A 1366 x 768 screen less a title bar and a panel.
    const QSize fitting = f_.window->FittingSize();
    QVERIFY2(fitting.width() <= 1366 && fitting.height() <= 768 - 70,
             qPrintable(QString("%1 x %2").arg(fitting.width()).arg(fitting.height())));
    f_.window->resize(fitting);
    QTest::qWait(0);
    auto* scroll = f_.Find<QScrollArea>("MainScroll");
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
    // The longest text each field holds in use; Person 2's fields insert "Diurnal" and drop "Birth".
    const std::pair<const char*, const char*> longest[] = {
        {"Month", "12"}, {"Day", "31"}, {"Year", "2099"}, {"BirthHour", "12"}, {"BirthMinute", "59.99"},
        {"TZ", "-12.35889"}, {"LongDeg", "180"}, {"LongMin", "59"}, {"LatDeg", "90"}, {"LatMin", "59"},
        {"Name", "Transits - Now"}};
    for (const auto& [field, text] : longest) {
      for (const QString& name : {QString("txt") + field, QString("txtDiurnal") + QString(field).remove("Birth")}) {
        auto* edit = f_.Find<QLineEdit>(qPrintable(name));
        QVERIFY2(TextRoom(edit) >= edit->fontMetrics().horizontalAdvance(text), qPrintable(name));
      }
    }
  }

  void tabMovesFromMonthToDayAndEditingKeysPassTheFilter() {
    GuiFixture::Activate(f_.window.get());
    auto* month = f_.Find<QLineEdit>("txtMonth");
    month->setFocus();
    QTest::keyClick(month, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f_.Find<QLineEdit>("txtDay")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(month));
    month->clear();
    QTest::keyClicks(month, "1x2");
    QCOMPARE(month->text(), QString("12"));
  }

  void everyButtonHasItsOwnAccessKey() {
    QSet<QChar> keys;
    for (QAction* menu : f_.window->menuBar()->actions()) {
      const int amp = menu->text().indexOf('&');
      QVERIFY(amp >= 0);
      keys.insert(menu->text().at(amp + 1).toUpper());
    }
    for (QPushButton* button : f_.window->centralWidget()->findChildren<QPushButton*>()) {
      const QString text = button->text();
      const int amp = text.indexOf('&');
      QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(button->objectName()));
      const QChar key = text.at(amp + 1).toUpper();
      QVERIFY2(!keys.contains(key), qPrintable(button->objectName() + " " + text));
      keys.insert(key);
    }
  }

  void arrowKeysChooseAName() {
    f_.Stop();
    f_.Start([](Session& s) {
      auto names = ReadWholeFile(s.programDir / "NAMES.FIL").value_or("");
      if (!WriteFileAtomically(s.programDir / "NAMES.FIL", names + "Second,1 Jan 2000,12.00,P,0,0,51.29,,London\r\n"))
        qFatal("cannot write the names file");
    });
    f_.Find<QRadioButton>("optPerson2")->setChecked(true);
    GuiFixture::Activate(f_.window.get());
    auto* names = f_.Find<QListWidget>("NamesOnFile");
    names->setFocus();
    QTest::qWait(0);
    // Receiving the focus chooses nothing.
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalName")->text(), QString("Transits - Now"));
    QTest::keyClick(names, Qt::Key_Down);
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalName")->text(), QString("Second"));
    QTest::keyClick(names, Qt::Key_Up);
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalName")->text(), QString("Example"));
    QCOMPARE(f_.Find<QLineEdit>("txtName")->text(), QString("Now"));
    // Enter also calculates: the transit Sun is the Example's Sun, at the end of Virgo.
    QTest::keyClick(names, Qt::Key_Return);
    auto* planets = f_.Find<QTableWidget>("grdOutput");
    QVERIFY2(planets->item(0, 2)->text().startsWith("29 Vir"), qPrintable(planets->item(0, 2)->text()));
    QVERIFY(f_.ui->messages.empty());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
