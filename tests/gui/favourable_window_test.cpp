// "Find favourable times": opened by its access key, conditions edited in the dialog without
// typing a name, bad input refused without touching a file, a cancelled search that keeps the
// last windows, a window row that sends its moment to Person 2, and the windows written out.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "core/results/election_picture.h"
#include "gui/results/condition_dialog.h"
#include "gui/results/favourable_window.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <swephexp.h>

using namespace kesmora;
using kesmora::test::GuiFixture;

class FavourableWindowTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  gui::FavourableWindow* Open() {
    f_.window->cmdFindFavourable_Click();
    return GuiFixture::FindIn<gui::FavourableWindow>(f_.window.get(), "frmFavourable");
  }

  // Three windows on 5 and 6 December 2026 in Greenwich (zone 0), the best last in time.
  static std::shared_ptr<const ElectionPicture> ThreeWindows() {
    const double midnight = swe_julday(2026, 12, 5, 0, SE_GREG_CAL);
    auto at = [&](int day, int hour, int minute, int second) {
      return midnight + day + (hour * 3600 + minute * 60 + second) / 86400.0;
    };
    Election e;
    e.items = {{Role::Required, 1, TimeOfDay{9 * 60, 17 * 60}}};
    std::vector<ElectionWindow> windows = {{{at(1, 14, 32, 20), at(1, 16, 0, 0)}, 3, {}},
                                           {{at(0, 9, 0, 0), at(0, 10, 0, 0)}, 2, {}},
                                           {{at(0, 11, 15, 40), at(0, 12, 0, 0)}, 1, {}}};
    IntervalSet held;
    for (const ElectionWindow& w : windows) held.push_back(w.interval);
    return std::make_shared<const ElectionPicture>(
        BuildElectionPicture(e, {Normalized(held)}, windows, {midnight, midnight + 2}, 0, nullptr));
  }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  // Alt+I is the main window's own key for the window, as its menu entry is.
  void altIOpensTheWindow() {
    GuiFixture::Activate(f_.window.get());
    QTest::keyClick(f_.window.get(), Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(f_.window->findChild<gui::FavourableWindow*>("frmFavourable"));
    QTRY_VERIFY(f_.window->findChild<gui::FavourableWindow*>("frmFavourable")->isVisible());
  }

  // Every kind of condition comes back from the dialog's lists as it went in: a point, aspect,
  // sign or mansion shown by position would come back as another.
  void conditionDialogGivesBackEachKind() {
    gui::ConditionDialog dialog(f_.session->tables, *f_.ui, nullptr);
    InSigns signs{2, {}};
    signs.signs[1] = signs.signs[3] = true;
    OnWeekdays days;
    days.days[0] = days.days[6] = true;
    const std::vector<ElectionItem> items = {
        {Role::Preferred, 2.5, AspectInOrb{5, 9, 1, false, 2, AspectMotion::Applying}},
        {Role::Required, 1, AspectInOrb{2, 0, 4, true, 5, AspectMotion::Separating}},
        {Role::Avoided, 1, MoonVoid{}},
        {Role::Avoided, 1, Retrograde{3}},
        {Role::Required, 1, Stationary{4, 48}},
        {Role::Required, 1, signs},
        {Role::Preferred, 1, InMansion{27, 4}},
        {Role::Required, 1, InMansion{4, 0}},
        {Role::Required, 1, InNatalHouse{6, 10}},
        {Role::Preferred, 1, HitsAtLeast{3}},
        {Role::Required, 1, TimeOfDay{22 * 60, 2 * 60}},
        {Role::Required, 1, TimeOfDay{9 * 60 + 30, 1440}},
        {Role::Required, 1, days}};
    for (const ElectionItem& item : items) {
      dialog.SetItem(item);
      const std::optional<ElectionItem> back = dialog.Item();
      QVERIFY(back);
      QVERIFY2(*back == item, ElectionLineText(item, f_.session->tables).c_str());
    }
    // No sign ticked: told, and nothing given.
    dialog.SetItem({Role::Required, 1, InSigns{2, {}}});
    QVERIFY(!dialog.Item());
    QCOMPARE(f_.ui->messages.back().title, std::string("Warning!"));
  }

  // An empty election neither searches nor overwrites an election file.
  void emptyElectionIsRefusedAndWritesNoFile() {
    gui::FavourableWindow* w = Open();
    QSignalSpy finished(w, &gui::FavourableWindow::findFinished);
    w->cmdFind_Click();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.takeFirst().at(0).toBool(), false);
    QVERIFY(!w->Running());
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    const auto file = f_.Home() / "kept.elc";
    QVERIFY(WriteFileAtomically(file, "require Moon void\r\n"));
    f_.files->answer = QString::fromStdString(file.string());
    w->mnuSaveElection_Click();
    QCOMPARE(f_.ui->messages.size(), size_t{2});
    QCOMPARE(ReadWholeFile(file).value_or(""), std::string("require Moon void\r\n"));
  }

  // A file with a line that cannot be read is refused whole, with its name and the line's
  // number: the conditions already in the window stay, and neither file changes.
  void electionFileWithABrokenLineChangesNothing() {
    gui::FavourableWindow* w = Open();
    const auto good = f_.Home() / "good.elc", broken = f_.Home() / "broken.elc";
    const std::string goodText = "# office hours\r\nrequire time 09:00-17:00\r\navoid Moon void\r\n";
    const std::string brokenText = "require Moon void\r\nprefer 2 transit Jupiter 120 natal Sun orb 200\r\n";
    QVERIFY(WriteFileAtomically(good, goodText));
    QVERIFY(WriteFileAtomically(broken, brokenText));
    f_.files->answer = QString::fromStdString(good.string());
    w->mnuLoadElection_Click();
    QCOMPARE(w->CurrentElection().items.size(), size_t{2});
    QCOMPARE(GuiFixture::FindIn<QListWidget>(w, "lstConditions")->count(), 2);
    QVERIFY(f_.ui->messages.empty());
    f_.files->answer = QString::fromStdString(broken.string());
    w->mnuLoadElection_Click();
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    const std::string& text = f_.ui->messages.back().text;
    QVERIFY2(text.find("broken.elc") != std::string::npos && text.find("line 2") != std::string::npos, text.c_str());
    QCOMPARE(w->CurrentElection().items.size(), size_t{2});
    QCOMPARE(GuiFixture::FindIn<QListWidget>(w, "lstConditions")->item(0)->text().contains("09:00"), true);
    QCOMPARE(ReadWholeFile(good).value_or(""), goodText);
    QCOMPARE(ReadWholeFile(broken).value_or(""), brokenText);
  }

  // Cancel is heard while the selection's hits are searched, and the last windows stay.
  void cancelledSearchKeepsTheLastWindows() {
    f_.LoadExampleAsPerson1();
    f_.TickTransitPlanets({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    f_.SetDays(365);
    gui::FavourableWindow* w = Open();
    const auto last = ThreeWindows();
    w->ShowPicture(last);
    w->SetElection(Election{{{Role::Required, 1, HitsAtLeast{2}}}});
    QSignalSpy finished(w, &gui::FavourableWindow::findFinished);
    w->cmdFind_Click();
    QVERIFY(w->Running());
    w->cmdCancel_Click();
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.takeFirst().at(0).toBool(), false);
    QCOMPARE(w->Picture(), last.get());
    QCOMPARE(GuiFixture::FindIn<QTableWidget>(w, "grdWindows")->rowCount(), 3);
    QVERIFY(f_.ui->messages.empty());
  }

  // Enter on a row or a double click (the grid's activation), whatever the grid is sorted by,
  // sends the first whole minute of that row's window to Person 2 and calculates the charts
  // there, as the hits graph's right button does. Enter once did nothing.
  void enterOrDoubleClickSendsTheWindowsFirstMinuteToPersonTwo() {
    gui::FavourableWindow* w = Open();
    w->ShowPicture(ThreeWindows());
    auto* grid = GuiFixture::FindIn<QTableWidget>(w, "grdWindows");
    grid->sortItems(1);  // by start: the first row is the window of rank 2
    QCOMPARE(grid->item(0, 0)->text(), QString("2"));
    // The second row by start is the window of rank 3, from 11:15:40: Person 2 gets 11:16.
    QCOMPARE(grid->item(1, 0)->text(), QString("3"));
    grid->setCurrentCell(1, 2);
    QTest::keyClick(grid, Qt::Key_Return);
    QString fields;
    for (const char* name : {"txtDiurnalMonth", "txtDiurnalDay", "txtDiurnalYear", "txtDiurnalHour", "txtDiurnalMinute"})
      fields += f_.Find<QLineEdit>(name)->text() + " ";
    QCOMPARE(fields, QString("12 5 2026 11 16 "));
    QVERIFY(f_.Find<QRadioButton>("optDiurnalAM")->isChecked());
    QCOMPARE(f_.session->chart.transitJulianDay, swe_julday(2026, 12, 5, 11 + 16 / 60.0, SE_GREG_CAL));

    // A click on the picture inside a window selects its row.
    w->PictureClicked(0, 11 * 60 + 30);
    const auto rows = grid->selectionModel()->selectedRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(grid->item(rows.front().row(), 0)->text(), QString("3"));
  }

  // The CSV holds the rows in the order the grid shows them, CR LF lines, under a heading.
  // The printed picture: texts at the size they have on the screen (a printer's resolution once
  // made them six times larger, over the picture), the conditions above it, and the minutes as
  // shapes rather than an image compressed into the rows beside.
  void printedPictureKeepsItsTextsSizeAndItsMinutesSharp() {
    gui::FavourableWindow* w = Open();
    w->SetElection(Election{{{Role::Required, 1, TimeOfDay{9 * 60, 17 * 60}}}});
    w->ShowPicture(ThreeWindows());
    const auto pdf = f_.Home() / "picture.pdf";
    f_.printer->pdfFile = QString::fromStdString(pdf.string());
    w->mnuPrintPicture_Click();
    const std::vector<test::PdfPage> pages = test::PdfPages(pdf, f_.Home());
    QCOMPARE(pages.size(), size_t{1});
    QStringList found;
    for (const test::PdfWord& word : pages[0].words) {
      QVERIFY2(word.xMin >= 0 && word.yMin >= 0 && word.xMax <= pages[0].width && word.yMax <= pages[0].height,
               qPrintable(word.text));
      QVERIFY2(word.yMax - word.yMin < 16, qPrintable(QString("%1 is %2 pt tall").arg(word.text).arg(word.yMax - word.yMin)));
      found << word.text;
    }
    for (const char* text : {"Favourable", "09:00-17:00", "12/05/2026", "12/06/2026"})
      QVERIFY2(found.contains(text), text);
    QVERIFY(ReadWholeFile(pdf).value_or("").find("/DCTDecode") == std::string::npos);
  }

  void csvFollowsTheGridsOrder() {
    gui::FavourableWindow* w = Open();
    w->ShowPicture(ThreeWindows());
    GuiFixture::FindIn<QTableWidget>(w, "grdWindows")->sortItems(1);
    const auto file = f_.Home() / "windows.csv";
    f_.files->answer = QString::fromStdString(file.string());
    w->mnuSaveCsv_Click();
    const std::string text = ReadWholeFile(file).value_or("");
    QCOMPARE(text.substr(0, text.find("\r\n")), std::string(R"("Rank","Start","End","Minutes","Score","Preferred")"));
    std::vector<std::string> ranks;
    for (size_t at = text.find("\r\n"); at + 2 < text.size(); at = text.find("\r\n", at + 2))
      ranks.push_back(text.substr(at + 3, 1));
    QCOMPARE(ranks, (std::vector<std::string>{"2", "3", "1"}));
    QVERIFY(text.find("\"12/05/2026 11:15:40\"") != std::string::npos);
  }
};

QTEST_MAIN(FavourableWindowTest)
#include "favourable_window_test.moc"
