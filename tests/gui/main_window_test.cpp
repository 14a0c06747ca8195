// The main window under the offscreen platform: its size and place on a laptop screen, the
// keyboard (Tab order, access keys, arrow keys in the names list), and the .opt files, Options
// window, tip of the day and About box of its menus.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "gui/common/qt_interface.h"
#include "gui/common/window_geometry.h"
#include "gui/settings/options_window.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

#include <cstdlib>

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
  static void Press(QWidget* w, const char* button) { GuiFixture::FindIn<QPushButton>(w, button)->click(); }
  std::string Text(const char* file) const { return ReadWholeFile(f_.Home() / file).value_or("(missing)"); }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void fitsTheScreenWithEveryFieldWhole() {
    // The screen (CTest runs this at 100% on 1366 x 768, and at 125% and 150% on 1920 x 1080) less
    // a panel of 30 pixels, a title bar and borders.
    const QRect screen = f_.window->screen()->geometry();
    const QSize fitting = f_.window->FittingSize();
    QVERIFY2(fitting.width() <= screen.width() - 12 && fitting.height() <= screen.height() - 30 - 40,
             qPrintable(QString("%1 x %2 on %3 x %4")
                            .arg(fitting.width()).arg(fitting.height()).arg(screen.width()).arg(screen.height())));
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

  void storedPlaceIsBroughtOntoTheScreen() {
    // The default, taller than the screen; far off to the right and below; above and to the left;
    // larger than the screen (top, left, height, width in twips).
    for (const WindowRect stored : {Settings{}.mainWindow, WindowRect{30000, 40000, 9000, 16000},
                                    WindowRect{-3000, -6000, 9000, 16000}, WindowRect{0, 0, 30000, 40000}}) {
      f_.Stop();
      f_.Start([&](Session& s) { s.settings.mainWindow = stored; });
      const QRect available = f_.window->screen()->availableGeometry(), frame = f_.window->frameGeometry();
      QVERIFY2(available.contains(frame), qPrintable(QString("%1 x %2").arg(frame.width()).arg(frame.height())));
      // Wide enough for its contents, as far as the screen allows.
      const int room = available.width() - (frame.width() - f_.window->width());
      QVERIFY(f_.window->width() >= std::min(f_.window->FittingSize().width(), room));
    }
  }

  void windowBusyAfterItIsShownIsStillBroughtOntoTheScreen() {
    // A window shown and then busy (the main window calculates as it starts) gets its frame from
    // the window manager only once the event loop runs again; the frame then placed partly off the
    // screen was left there when the time for settling had run out during the busy spell.
    f_.Stop();
    gui::ScreenFitter fitter(nullptr, 500);
    qApp->installEventFilter(&fitter);
    QWidget window;
    window.resize(400, 300);
    window.show();
    QThread::msleep(800);
    bool moved = false;
    QTimer::singleShot(0, &window, [&] {
      window.move(1200, 600);
      moved = true;
    });
    QTRY_VERIFY(moved);
    QTest::qWait(100);
    QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    qApp->removeEventFilter(&fitter);
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

  void tabReachesEveryControlOnceWithGridAndListsAsOneStop() {
    GuiFixture::Activate(f_.window.get());
    f_.Find<QLineEdit>("txtName")->setFocus();
    QStringList stops;
    for (int k = 0; k < 300; ++k) {
      stops << QApplication::focusWidget()->objectName();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QTest::qWait(0);  // a set of option buttons hands the focus on to its chosen button
      if (QApplication::focusWidget()->objectName() == "txtName") break;
    }
    // One stop each for the planet grid and the three lists; every person field, the Days field
    // and the orbs in reach; the run's button after everything it reads.
    auto at = [&](const QString& name) { return stops.indexOf(QRegularExpression("^" + name + "(_\\d+)?$")); };
    for (const char* once : {"grdOutput", "chkP1Planets", "chkP2Planets", "chkAspects"})
      QVERIFY2(stops.filter(QRegularExpression(QString("^") + once + "(_\\d+)?$")).size() == 1, once);
    const char* order[] = {"txtName",     "txtDiurnalBirthCity", "NamesOnFile",          "grdOutput",
                           "chkP1Planets", "chkAspects",         "txtDaysToCalculate",   "txtMinutesAfterExact",
                           "chkIncludeTDeg_to_NDeg", "cmdCalc_aspectarian"};
    for (size_t k = 1; k < std::size(order); ++k)
      QVERIFY2(at(order[k - 1]) >= 0 && at(order[k - 1]) < at(order[k]), qPrintable(stops.join(' ')));
    QVERIFY2(stops.size() < 100, qPrintable(QString::number(stops.size())));
    // Ctrl+Tab leaves the grid too; in a list the arrows move and Space ticks.
    auto* grid = f_.Find<QTableWidget>("grdOutput");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(QApplication::focusWidget() != grid);
    auto* first = f_.Find<QCheckBox>("chkAspects_0");
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("chkAspects_6"));
    const bool ticked = f_.Find<QCheckBox>("chkAspects_6")->isChecked();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(f_.Find<QCheckBox>("chkAspects_6")->isChecked(), !ticked);
  }

  void dateFieldsStandInTheDateOrder_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("month/day/year") << int(DateOrder::MonthDayYear) << QStringList{"txtMonth", "txtDay", "txtYear"};
    QTest::newRow("day/month/year") << int(DateOrder::DayMonthYear) << QStringList{"txtDay", "txtMonth", "txtYear"};
    QTest::newRow("year/month/day") << int(DateOrder::YearMonthDay) << QStringList{"txtYear", "txtMonth", "txtDay"};
  }

  void dateFieldsStandInTheDateOrder() {
    QFETCH(int, order);
    QFETCH(QStringList, fields);
    f_.Stop();
    f_.Start([order](Session& s) { s.formats.dateOrder = static_cast<DateOrder>(order); });
    GuiFixture::Activate(f_.window.get());
    // Typed in the order they are read, left to right.
    f_.Find<QLineEdit>("txtName")->setFocus();
    int left = -1;
    for (const QString& field : fields) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), field);
      const int x = QApplication::focusWidget()->mapTo(f_.window.get(), QPoint()).x();
      QVERIFY(x > left);
      left = x;
    }
  }

  void everyAspectAndPassSwitchSaysWhatItSearches() {
    // Each aspect box names its angle ("018: vigintile, 18°"), each pass switch its pass.
    for (int k = 0; k < NumAspectBoxes; ++k) {
      auto* box = f_.Find<QCheckBox>(qPrintable(QString("chkAspects_%1").arg(k)));
      QVERIFY2(box->toolTip().startsWith(box->text() + ": ") && box->toolTip().size() > box->text().size() + 8,
               qPrintable(box->toolTip()));
    }
    QCOMPARE(f_.Find<QCheckBox>("chkAspects_1")->toolTip(), QString::fromUtf8("018: vigintile, 18°"));
    const std::pair<const char*, int> passes[] = {
        {"chkNatal_Transit_0", 0}, {"chkNatal_Transit_1", 1}, {"chkIncludeTDeg_to_NDeg", 2},
        {"chkIncludeAuspiciousPoints", 3}, {"chkIncludeLunarMansions", 4},
        {"chkInclude_Transit_Midpoints_to_Natal_Planets", 0}, {"chkInclude_Transit_Midpoints_to_Transit_Planets", 1},
        {"chkInclude_Transit_Planets_to_Natal_Midpoints", 5}, {"chkInclude_Transit_Midpoints_to_Natal_Midpoints", 6}};
    for (auto [name, pass] : passes)
      QVERIFY2(f_.Find<QCheckBox>(name)->toolTip().startsWith(QString("Pass %1").arg(pass)), name);
    // A greyed-out result button says why.
    QCOMPARE(f_.Find<QPushButton>("cmdFindHotspots")->toolTip().left(27), QString("Run the aspectarian first ("));
  }

  void messageBoxShowsItsTitleWholeAndLeavesItsWindowInFront() {
    // The program's own message boxes; the second over the Options window, whose save is refused.
    gui::QtInterface ui(f_.window.get());
    gui::OptionsWindow options(*f_.session, ui, {}, f_.window.get());
    options.Form_Load();
    GuiFixture::Activate(&options);
    GuiFixture::FindIn<QPlainTextEdit>(&options, "txtContent")->setPlainText("x5\n");
    std::vector<std::pair<int, int>> widths;  // of each box, and of its title in bold
    std::vector<QWidget*> parents;
    auto answerNextBox = [&] {
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) qFatal("no message box");
        QFont bold = QApplication::font();
        bold.setBold(true);
        widths.emplace_back(box->width(), QFontMetrics(bold).horizontalAdvance(box->windowTitle()));
        parents.push_back(box->parentWidget());
        box->accept();
      });
    };
    answerNextBox();
    ui.ShowMessage({MessageIcon::Information, "Calculate aspectarian times", "x"});
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&options));
    answerNextBox();
    options.btnSave_Click();
    // Room beside the title for the window manager's icon and three buttons.
    for (auto [box, title] : widths) QVERIFY2(box >= title + 120, qPrintable(QString("%1 < %2 + 120").arg(box).arg(title)));
    // The box over the Options window belongs to it, and leaves it in front.
    QCOMPARE(parents.back(), static_cast<QWidget*>(&options));
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&options));
    options.setWindowModified(false);
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

  void altNFillsPersonOneAndShiftAltNPersonTwo() {
    GuiFixture::Activate(f_.window.get());
    auto* name1 = f_.Find<QLineEdit>("txtName");
    auto* name2 = f_.Find<QLineEdit>("txtDiurnalName");
    name1->setText("someone");
    name2->setText("some day");
    // A button's access key presses it as a click does, a moment later.
    QTest::keyClick(f_.window.get(), Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(name1->text(), QString("Now"));
    QCOMPARE(name2->text(), QString("some day"));
    name1->setText("someone");
    QTest::keyClick(f_.window.get(), Qt::Key_N, Qt::AltModifier | Qt::ShiftModifier);
    QTRY_COMPARE(name2->text(), QString("Transits - Now"));
    // Person 1's button is neither pressed nor about to be.
    QVERIFY(!f_.Find<QPushButton>("cmdNow")->isDown());
    QCOMPARE(name1->text(), QString("someone"));
  }

  // On a computer in Kolkata, a first start makes Kolkata the home place (and says so), and
  // "Now" is the fixed clock's instant (18:45 UT) on Kolkata's clock.
  void nowOnAComputerInKolkataIsTheInstantOnKolkatasClock() {
    f_.Stop();
    setenv("TZ", "Asia/Kolkata", 1);
    f_.Start();
    setenv("TZ", "UTC", 1);
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QVERIFY(f_.ui->messages[0].text.find("Kolkata") != std::string::npos);
    f_.Find<QLineEdit>("txtDiurnalHour")->setText("3");
    f_.Find<QPushButton>("cmdDiurnalNow")->click();
    QString now;
    for (const char* field : {"txtDiurnalMonth", "txtDiurnalDay", "txtDiurnalYear", "txtDiurnalHour",
                              "txtDiurnalMinute", "txtDiurnalTZ", "txtDiurnalLongDeg"})
      now += f_.Find<QLineEdit>(field)->text() + " ";
    QCOMPARE(now, QString("12 6 2026 12 15 -5.5 88 "));
    QVERIFY(f_.Find<QRadioButton>("optDiurnalAM")->isChecked());
    QVERIFY(f_.Find<QRadioButton>("optDiurnalEast")->isChecked());
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

  void selectionFileRoundTripThroughTheMenu() {
    const auto boxes = f_.window->findChildren<QCheckBox*>(QRegularExpression("^chk(P1Planets|P2Planets|Aspects)_"));
    QList<bool> saved, loaded;
    for (int k = 0; k < boxes.size(); ++k) boxes[k]->setChecked(saved.emplaceBack(k % 3 == 1));
    const std::filesystem::path file = f_.Home() / "reports" / "mine.opt";
    f_.files->answer = QString::fromStdString(file.string());
    f_.Find<QAction>("mnuFileSave")->trigger();
    for (QCheckBox* box : boxes) box->toggle();
    f_.Find<QAction>("mnuFileLoad")->trigger();
    for (QCheckBox* box : boxes) loaded << box->isChecked();
    QCOMPARE(loaded, saved);
    // The dialog starts in the folder of the file last used.
    QCOMPARE(f_.files->requests.back().directory, QString::fromStdString(file.parent_path().string()));
    QVERIFY(f_.ui->messages.empty());

    // Saving again asks before the file is replaced; No leaves it.
    const std::string kept = ReadWholeFile(file).value();
    for (QCheckBox* box : boxes) box->toggle();
    f_.Find<QAction>("mnuFileSave")->trigger();
    QCOMPARE(f_.ui->questions.size(), size_t{1});
    QCOMPARE(ReadWholeFile(file).value(), kept);
    // The program's own OPTIONS.OPT, once overwritten behind that question (the home place became
    // 0/0), is refused before any question.
    const std::filesystem::path options = f_.Home() / "OPTIONS.OPT";
    const std::string optionsText = ReadWholeFile(options).value();
    f_.files->answer = QString::fromStdString(options.string());
    f_.Find<QAction>("mnuFileSave")->trigger();
    QCOMPARE(f_.ui->questions.size(), size_t{1});
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QCOMPARE(f_.ui->messages[0].title, std::string("Warning!"));
    QCOMPARE(ReadWholeFile(options).value(), optionsText);
    QCOMPARE(f_.session->settings.optFilename, file.string());
  }

  void optionsWindowSavesRestoresAndAsksBeforeAnEditIsLost() {
    f_.Find<QAction>("mnuOptionOptionSettings")->trigger();
    QPointer<gui::OptionsWindow> w = f_.Find<gui::OptionsWindow>("Options");
    auto* box = GuiFixture::FindIn<QPlainTextEdit>(w, "txtContent");
    auto edit = [&](const char* from, const char* to) { box->setPlainText(box->toPlainText().replace(from, to)); };
    // Save writes CR LF between the lines and puts the option in force; the window stays.
    edit("\n0       Option 18", "\n5       Option 18");
    Press(w, "btnSave");
    QVERIFY(w->isVisible() && !w->Changed());
    QCOMPARE(f_.session->optionValues[option::HomeTimeZone], 5.0f);
    QVERIFY(Text("OPTIONS.OPT").find("\r\n5       Option 18: home time zone, hours (west positive)\r\n") != std::string::npos);
    // Restore Default Settings copies OPTIONS.MST over it, into the box and in force.
    Press(w, "cmdRestoreDefault");
    QCOMPARE(Text("OPTIONS.OPT"), Text("OPTIONS.MST"));
    QCOMPARE(f_.session->optionValues[option::HomeTimeZone], 0.0f);
    QVERIFY(box->toPlainText().contains("\n0       Option 18"));
    // Quit after an edit asks first: Cancel keeps the window, Discard closes it and drops the edit.
    edit("\n60      Option 12", "\n30      Option 12");
    Press(w, "btnQuit");
    QCOMPARE(f_.ui->questions.size(), size_t{1});
    QVERIFY(w->isVisible());
    f_.ui->answers.push_back(Answer::Discard);
    Press(w, "btnQuit");
    QTRY_VERIFY(!w);
    QCOMPARE(Text("OPTIONS.OPT"), Text("OPTIONS.MST"));
  }

  void tipOfTheDayAtStartWrapsBothWaysGoesOnAndSetsOption13() {
    // The shipped OPTIONS.OPT sets option 13: the tip window opens at start with the first tip.
    QPointer<QWidget> tip = f_.Find<QWidget>("frmTip");
    auto* text = GuiFixture::FindIn<QLabel>(tip, "lblTipText");
    const std::vector<std::string> tips = ReadLines(f_.Home() / "TIPOFDAY.TXT").value();
    QVERIFY(tip->isVisible() && text->text().toStdString() == tips.front());
    for (size_t k = 0; k < tips.size(); ++k) Press(tip, "cmdNextTip");
    QCOMPARE(text->text().toStdString(), tips.front());
    Press(tip, "Command1");
    QCOMPARE(text->text().toStdString(), tips.back());
    Press(tip, "cmdNextTip");
    Press(tip, "cmdNextTip");
    // Its box clears option 13 in OPTIONS.OPT, the line's description kept, and in force.
    auto* show = GuiFixture::FindIn<QCheckBox>(tip, "chkShowTips");
    QVERIFY(show->isChecked());
    show->click();
    QCOMPARE(f_.session->optionValues[option::ShowTipAtStart], 0.0f);
    QVERIFY(Text("OPTIONS.OPT").find("\r\n0       Option 13: show tip of the day") != std::string::npos);
    // Opened again, and after a restart, it goes on after the tip shown last.
    Press(tip, "cmdOK");
    QTRY_VERIFY(!tip);
    f_.Find<QAction>("mnuHelpTipoftheDay")->trigger();
    QCOMPARE(GuiFixture::FindIn<QLabel>(f_.Find<QWidget>("frmTip"), "lblTipText")->text().toStdString(), tips[2]);
    f_.window->close();
    f_.window.reset();
    f_.Start();
    QVERIFY(!f_.window->findChild<QWidget*>("frmTip"));
    f_.Find<QAction>("mnuHelpTipoftheDay")->trigger();
    QCOMPARE(GuiFixture::FindIn<QLabel>(f_.Find<QWidget>("frmTip"), "lblTipText")->text().toStdString(), tips[3]);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
