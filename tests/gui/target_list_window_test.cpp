// The list editors of the three midpoint lists and the lunar mansions, opened from the main
// window's menu: their texts, adding and removing pairs, the list files they load and save
// through the file dialog, and where they keep their place; also the File menu's .apt and
// .t2n entries.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "gui/search/target_list_window.h"
#include "core/settings/settings.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class TargetListWindowTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  gui::TargetListWindow* Open(const char* menuEntry, const char* windowName) {
    f_.Find<QAction>(menuEntry)->trigger();
    return GuiFixture::FindIn<gui::TargetListWindow>(f_.window.get(), windowName);
  }
  gui::TargetListWindow* OpenTransitToNatal() { return Open("mnuMidpoints_t_to_n", "Midpoints_t_to_n"); }
  gui::TargetListWindow* OpenLunarMansions() { return Open("mnuLunarMansions", "lunar_mansions_form"); }

  static QListWidget* List(QWidget* w, const char* name) { return GuiFixture::FindIn<QListWidget>(w, name); }
  static QString LabelText(QWidget* w, const char* name) { return GuiFixture::FindIn<QLabel>(w, name)->text(); }
  static void Click(QWidget* w, const char* button) {
    QTest::mouseClick(GuiFixture::FindIn<QPushButton>(w, button), Qt::LeftButton);
  }

  static void Pick(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    if (found.size() != 1) qFatal("no single entry %s", qPrintable(text));
    list->setCurrentItem(found.front());
  }
  // Picks one name in each list and presses Add.
  static void AddPair(QWidget* w, const QString& first, const QString& second) {
    Pick(List(w, "lstP1"), first);
    Pick(List(w, "lstP2"), second);
    Click(w, "cmdAdd");
  }
  static QStringList Texts(QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
    return texts;
  }

  QString Path(const std::string& name) const { return QString::fromStdString((f_.Home() / name).string()); }
  static std::string Bytes(const QString& path) { return ReadWholeFile(path.toStdString()).value_or("<missing>"); }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void editorShowsItsTexts_data() {
    QTest::addColumn<QString>("menuEntry");
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("listName");
    QTest::newRow("transit to natal")
        << "mnuMidpoints_t_to_n" << "Midpoints_t_to_n" << "Set transit midpoints to natal planets"
        << QStringList{"Transit Planet 1", "Transit Planet 2", "Transit Midpoints", "Midpoint file:"} << "lstMidpoints";
    QTest::newRow("transit to transit")
        << "mnuMidpoints_t_to_t" << "Midpoints_t_to_t" << "Set transit midpoints to transit planets"
        << QStringList{"Transit Planet 1", "Transit Planet 2", "Transit Midpoints", "Midpoint file:"} << "lstMidpoints";
    QTest::newRow("natal midpoints")
        << "mnuMidpoints_t_to_nmp" << "Midpoints_t_to_nmp" << "Set natal midpoints"
        << QStringList{"Natal Planet 1", "Natal Planet 2", "Natal Midpoints", "Natal Midpoint file:"} << "lstMidpoints";
    QTest::newRow("lunar mansions")
        << "mnuLunarMansions" << "lunar_mansions_form" << "Set transit planets in lunar mansions"
        << QStringList{"Transit Planet", "Lunar Mansion (Nakshatra)", "Lunar Mansions Selected", "Lunar mansions file:"}
        << "lstLunarMansions";
  }

  void editorShowsItsTexts() {
    QFETCH(QString, menuEntry);
    QFETCH(QString, windowName);
    QFETCH(QString, caption);
    QFETCH(QStringList, labels);
    QFETCH(QString, listName);
    QVERIFY(f_.Find<QAction>(qPrintable(menuEntry))->isEnabled());
    QWidget* w = Open(qPrintable(menuEntry), qPrintable(windowName));
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
    QCOMPARE(w->windowTitle(), caption);
    for (int k = 0; k < 4; ++k) QCOMPARE(LabelText(w, qPrintable(QString("Label%1").arg(k + 1))), labels[k]);
    const std::pair<const char*, const char*> buttons[] = {{"cmdAdd", "&Add"},   {"cmdRemove", "&Remove"},
                                                           {"cmdClear", "&Clear"}, {"cmdNew", "&New"},
                                                           {"cmdLoad", "&Load"}, {"cmdSave", "&Save"}};
    for (const auto& [name, text] : buttons) QCOMPARE(GuiFixture::FindIn<QPushButton>(w, name)->text(), QString(text));

    QListWidget* entries = List(w, qPrintable(listName));
    QCOMPARE(entries->count(), 0);
    QCOMPARE(entries->selectionMode(), QAbstractItemView::ExtendedSelection);
    const int planets = f_.session->tables.NumPlanetsUsed();
    QListWidget* p1 = List(w, "lstP1");
    QCOMPARE(p1->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(p1->count(), planets);
    QCOMPARE(p1->item(0)->text(), QString("Sun"));
    QCOMPARE(p1->item(planets - 1)->text(), QString::fromStdString(f_.session->tables.Planet(planets).name));
    if (listName == "lstMidpoints") QCOMPARE(Texts(List(w, "lstP2")), Texts(p1));
  }

  void lunarMansionWindowListsTheHundredAndEightPadas() {
    QListWidget* padas = List(OpenLunarMansions(), "lstP2");
    QCOMPARE(padas->count(), 108);
    QCOMPARE(padas->item(0)->text(), QString("Nak-01, pada 1"));
    QCOMPARE(padas->item(3)->text(), QString("Nak-01, pada 4"));
    QCOMPARE(padas->item(4)->text(), QString("Nak-02, pada 1"));
    QCOMPARE(padas->item(107)->text(), QString("Nak-27, pada 4"));
  }

  void addRefusesDuplicatesButKeepsBothOrders() {
    QWidget* w = OpenTransitToNatal();
    QListWidget* entries = List(w, "lstMidpoints");
    AddPair(w, "Sun", "Moon");
    AddPair(w, "Sun", "Moon");
    QCOMPARE(Texts(entries), QStringList{"Sun/Moon"});
    AddPair(w, "Moon", "Sun");
    AddPair(w, "Mars", "Mars");  // a planet with itself
    QCOMPARE(Texts(entries), (QStringList{"Sun/Moon", "Moon/Sun", "Mars/Mars"}));
    QCOMPARE(LabelText(w, "Label3"), QString("Transit Midpoints = 3"));
  }

  void lunarMansionEntryNamesThePadaFirst() {
    QWidget* w = OpenLunarMansions();
    AddPair(w, "Moon", "Nak-05, pada 3");
    AddPair(w, "Moon", "Nak-05, pada 3");
    AddPair(w, "Sun", "Nak-05, pada 3");
    QCOMPARE(Texts(List(w, "lstLunarMansions")), (QStringList{"Nak-05, pada 3/Moon", "Nak-05, pada 3/Sun"}));
    QCOMPARE(LabelText(w, "Label3"), QString("Lunar Mansions = 2"));
  }

  void removeTakesEverySelectedEntry() {
    QWidget* w = Open("mnuMidpoints_t_to_nmp", "Midpoints_t_to_nmp");
    QListWidget* entries = List(w, "lstMidpoints");
    for (const char* second : {"Moon", "Mercury", "Venus", "Mars", "Jupiter"}) AddPair(w, "Sun", second);
    for (int row : {0, 2, 4}) entries->item(row)->setSelected(true);
    Click(w, "cmdRemove");
    QCOMPARE(Texts(entries), (QStringList{"Sun/Mercury", "Sun/Mars"}));
    QCOMPARE(LabelText(w, "Label3"), QString("Natal Midpoints = 2"));
    Click(w, "cmdClear");
    QCOMPARE(entries->count(), 0);
    QCOMPARE(LabelText(w, "Label3"), QString("Natal Midpoints = 0"));
  }

  void saveWritesTheEntriesAndLoadReadsThemBack() {
    QWidget* w = Open("mnuMidpoints_t_to_t", "Midpoints_t_to_t");
    AddPair(w, "Venus", "Mars");
    AddPair(w, "Mars", "Venus");
    fs::create_directories(f_.Home() / "lists");
    const QString file = Path("lists/mine.mpt");
    QVERIFY(WriteFileAtomically(file.toStdString(), "an older and longer list\r\nSun/Moon\r\nSun/Mars\r\n"));
    f_.files->answer = file;
    Click(w, "cmdSave");

    QCOMPARE(f_.files->requests.size(), size_t{1});
    const gui::FileRequest& save = f_.files->requests.front();
    QCOMPARE(save.title, QString("Save .mpt transit to transit midpoints file"));
    QCOMPARE(save.filter, QString("Midpoint Files - transit to transit (*.mpt)"));
    QCOMPARE(save.defaultSuffix, QString("mpt"));
    QCOMPARE(save.directory, QString::fromStdString(f_.session->programDir.string()));
    QVERIFY(save.fileName.isEmpty());
    QCOMPARE(Bytes(file), std::string("Venus/Mars\r\nMars/Venus\r\n"));
    QCOMPARE(f_.session->settings.mptFilename, file.toStdString());
    QCOMPARE(f_.session->settings.mptPath, (f_.Home() / "lists").string());
    QCOMPARE(LabelText(w, "Label4"), QString("Midpoint file: mine.mpt"));

    Click(w, "cmdClear");
    f_.ui->answers.push_back(Answer::Discard);  // the cleared list is not kept
    Click(w, "cmdLoad");
    const gui::FileRequest& load = f_.files->requests.back();
    QCOMPARE(load.title, QString("Load .mpt transit to transit midpoints file"));
    QCOMPARE(load.fileName, file);
    QCOMPARE(load.directory, Path("lists"));
    QCOMPARE(Texts(List(w, "lstMidpoints")), (QStringList{"Venus/Mars", "Mars/Venus"}));
    QCOMPARE(LabelText(w, "Label3"), QString("Transit Midpoints = 2"));
  }

  void loadKeepsLinesExactlyAsWritten() {
    QWidget* w = OpenTransitToNatal();
    const QString file = Path("by_hand.mpn");
    QVERIFY(WriteFileAtomically(file.toStdString(), "Sun/Moon\r\nSun/Moon\r\nnot a pair \r\nsun/moon\nJupiter/Saturn"));
    f_.files->answer = file;
    Click(w, "cmdLoad");
    QCOMPARE(Texts(List(w, "lstMidpoints")),
             (QStringList{"Sun/Moon", "Sun/Moon", "not a pair ", "sun/moon", "Jupiter/Saturn"}));
    QCOMPARE(LabelText(w, "Label3"), QString("Transit Midpoints = 5"));
    QCOMPARE(LabelText(w, "Label4"), QString("Midpoint file: by_hand.mpn"));
  }

  void savingAnEmptyListWritesAnEmptyFile() {
    QWidget* w = OpenLunarMansions();
    const QString file = Path("none.nak");
    f_.files->answer = file;
    Click(w, "cmdSave");
    QCOMPARE(Bytes(file), std::string());
    QCOMPARE(LabelText(w, "Label4"), QString("Lunar mansions file: none.nak"));
    QCOMPARE(f_.files->requests.front().filter, QString("Lunar mansion (Nakshatra) Files (*.nak)"));
  }

  void loadingAMissingFileEmptiesTheListAndKeepsTheLabels() {
    QWidget* w = OpenTransitToNatal();
    AddPair(w, "Sun", "Moon");
    f_.files->answer = Path("gone.mpn");
    f_.ui->answers.push_back(Answer::Discard);
    Click(w, "cmdLoad");
    QCOMPARE(List(w, "lstMidpoints")->count(), 0);
    QCOMPARE(LabelText(w, "Label3"), QString("Transit Midpoints = 1"));
    QCOMPARE(LabelText(w, "Label4"), QString("Midpoint file:"));
    QCOMPARE(f_.session->settings.mpnFilename, Path("gone.mpn").toStdString());
  }

  void newCreatesAnEmptyFileAndKeepsTheList() {
    const QString old = Path("old.mpn");
    QVERIFY(WriteFileAtomically(old.toStdString(), "Sun/Moon\r\n"));
    f_.session->settings.mpnFilename = old.toStdString();
    QWidget* w = OpenTransitToNatal();
    AddPair(w, "Venus", "Mars");
    const QString fresh = Path("fresh.mpn");
    f_.files->answer = fresh;
    Click(w, "cmdNew");
    const gui::FileRequest& asked = f_.files->requests.front();
    QCOMPARE(asked.title, QString("Save .mpn transit to natal midpoints file"));
    QVERIFY(asked.fileName.isEmpty());
    QCOMPARE(Bytes(fresh), std::string());
    QCOMPARE(LabelText(w, "Label4"), QString("Midpoint file: fresh.mpn"));
    QCOMPARE(Bytes(old), std::string("Sun/Moon\r\n"));
    QCOMPARE(Texts(List(w, "lstMidpoints")), QStringList{"Venus/Mars"});
    QCOMPARE(f_.session->settings.mpnFilename, fresh.toStdString());
    // Save then proposes the new file and writes what is still shown.
    Click(w, "cmdSave");
    QCOMPARE(f_.files->requests.back().fileName, fresh);
    QCOMPARE(Bytes(fresh), std::string("Venus/Mars\r\n"));
  }

  void cancelledDialogChangesNothing() {
    const QString file = Path("kept.nmp");
    QVERIFY(WriteFileAtomically(file.toStdString(), "Sun/Moon\r\n"));
    f_.session->settings.nmpFilename = file.toStdString();
    const std::string pathBefore = f_.session->settings.nmpPath;
    QWidget* w = Open("mnuMidpoints_t_to_nmp", "Midpoints_t_to_nmp");
    AddPair(w, "Mars", "Venus");
    f_.files->answer.reset();
    f_.ui->answers.push_back(Answer::Discard);
    Click(w, "cmdLoad");
    Click(w, "cmdSave");
    QCOMPARE(f_.files->requests.size(), size_t{2});
    QCOMPARE(Texts(List(w, "lstMidpoints")), QStringList{"Mars/Venus"});
    QCOMPARE(LabelText(w, "Label3"), QString("Natal Midpoints = 1"));
    QCOMPARE(LabelText(w, "Label4"), QString("Natal Midpoint file:"));
    QCOMPARE(Bytes(file), std::string("Sun/Moon\r\n"));
    QCOMPARE(f_.session->settings.nmpFilename, file.toStdString());
    QCOMPARE(f_.session->settings.nmpPath, pathBefore);
    // New forgets the current file before it asks; a cancel leaves none.
    Click(w, "cmdNew");
    QVERIFY(f_.session->settings.nmpFilename.empty());
    QCOMPARE(f_.session->settings.nmpPath, pathBefore);
    QCOMPARE(Bytes(file), std::string("Sun/Moon\r\n"));
  }

  void failedSaveIsReported() {
    QWidget* w = OpenTransitToNatal();
    AddPair(w, "Sun", "Moon");
    f_.files->answer = Path("no/such/folder/x.mpn");
    Click(w, "cmdSave");
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QCOMPARE(f_.ui->messages.front().title, std::string("Error"));
    QCOMPARE(LabelText(w, "Label4"), QString("Midpoint file:"));
  }

  void editorStartsEmptyEvenWithACurrentFile() {
    const QString file = Path("current.nak");
    QVERIFY(WriteFileAtomically(file.toStdString(), "Nak-01, pada 1/Moon\r\n"));
    f_.session->settings.nakFilename = file.toStdString();
    QWidget* w = OpenLunarMansions();
    QCOMPARE(List(w, "lstLunarMansions")->count(), 0);
    f_.files->answer = file;
    Click(w, "cmdLoad");
    QCOMPARE(f_.files->requests.front().fileName, file);
    QCOMPARE(Texts(List(w, "lstLunarMansions")), QStringList{"Nak-01, pada 1/Moon"});
  }

  void windowKeepsItsPlaceInTheSettings() {
    f_.session->settings.midpointsTtoT = {1500, 3000};
    QWidget* w = Open("mnuMidpoints_t_to_t", "Midpoints_t_to_t");
    QCOMPARE(w->pos(), QPoint(200, 100));
    w->move(320, 240);
    QCOMPARE(f_.session->settings.midpointsTtoT.top, 240 * 15);
    QCOMPARE(f_.session->settings.midpointsTtoT.left, 320 * 15);
    // The other editors keep theirs.
    QCOMPARE(f_.session->settings.midpointsTtoN.top, 600);
    w->setWindowState(Qt::WindowMinimized);
    w->move(10, 10);
    QCOMPARE(f_.session->settings.midpointsTtoT.left, 320 * 15);
  }

  void menuReopensAFreshWindow() {
    QPointer<gui::TargetListWindow> first = OpenLunarMansions();
    AddPair(first, "Moon", "Nak-01, pada 1");
    f_.ui->answers.push_back(Answer::Discard);
    f_.session->tables.planets[1].name = "Sol";  // the new window shows the names of now
    QPointer<gui::TargetListWindow> second = OpenLunarMansions();
    QVERIFY(first.isNull());
    QCOMPARE(f_.window->findChildren<gui::TargetListWindow*>().size(), qsizetype{1});
    QCOMPARE(List(second, "lstLunarMansions")->count(), 0);
    QCOMPARE(List(second, "lstP1")->item(0)->text(), QString("Sol"));
    // Each list has its own window.
    OpenTransitToNatal();
    QCOMPARE(f_.window->findChildren<gui::TargetListWindow*>().size(), qsizetype{2});
    QVERIFY(!second.isNull());
  }

  void unsavedEditsAreAskedAbout_data() {
    QTest::addColumn<QString>("way");  // how the edits would be lost
    QTest::addColumn<int>("answer");
    for (const char* way : {"close", "load", "reopen"}) {
      QTest::addRow("%s, cancel", way) << way << int(Answer::Cancel);
      QTest::addRow("%s, discard", way) << way << int(Answer::Discard);
      QTest::addRow("%s, save", way) << way << int(Answer::Save);
    }
  }

  void unsavedEditsAreAskedAbout() {
    QFETCH(QString, way);
    QFETCH(int, answer);
    const QString kept = Path("kept.mpn");
    QVERIFY(WriteFileAtomically(kept.toStdString(), "Sun/Moon\r\n"));
    QPointer<gui::TargetListWindow> w = OpenTransitToNatal();
    f_.files->answer = kept;
    Click(w, "cmdLoad");
    AddPair(w, "Venus", "Mars");
    QCOMPARE(f_.ui->questions.size(), size_t{0});  // nothing was unsaved before

    f_.ui->answers.push_back(static_cast<Answer>(answer));
    if (way == "close") w->close();
    if (way == "load") Click(w, "cmdLoad");
    if (way == "reopen") OpenTransitToNatal();
    QTest::qWait(0);
    QCOMPARE(f_.ui->questions.size(), size_t{1});
    QCOMPARE(QString::fromStdString(f_.ui->questions[0].text), QString("Save the changes to kept.mpn?"));
    QCOMPARE(QString::fromStdString(f_.ui->questions[0].title), QString("Set transit midpoints to natal planets"));
    if (answer == int(Answer::Cancel)) {
      QVERIFY(!w.isNull() && w->isVisible());
      QCOMPARE(Texts(List(w, "lstMidpoints")), (QStringList{"Sun/Moon", "Venus/Mars"}));
      QCOMPARE(Bytes(kept), std::string("Sun/Moon\r\n"));
      return;
    }
    QCOMPARE(Bytes(kept), answer == int(Answer::Save) ? std::string("Sun/Moon\r\nVenus/Mars\r\n")
                                                     : std::string("Sun/Moon\r\n"));
    if (way == "load") QCOMPARE(Texts(List(w, "lstMidpoints")).size(), answer == int(Answer::Save) ? 2 : 1);
    else QTRY_VERIFY(w.isNull());
  }

  void savedListClosesWithoutAQuestion() {
    QPointer<gui::TargetListWindow> w = OpenTransitToNatal();
    AddPair(w, "Venus", "Mars");
    Click(w, "cmdRemove");  // nothing selected: nothing removed
    f_.files->answer = Path("saved.mpn");
    Click(w, "cmdSave");
    w->close();
    QTRY_VERIFY(w.isNull());
    QVERIFY(f_.ui->questions.empty());
  }

  void deleteKeyRemovesTheSelectedEntries() {
    QWidget* w = OpenTransitToNatal();
    QListWidget* entries = List(w, "lstMidpoints");
    for (const char* second : {"Moon", "Mercury", "Venus"}) AddPair(w, "Sun", second);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    entries->setFocus();
    entries->item(0)->setSelected(true);
    entries->item(2)->setSelected(true);
    QTest::keyClick(entries, Qt::Key_Delete);
    QCOMPARE(Texts(entries), QStringList{"Sun/Mercury"});
    QCOMPARE(LabelText(w, "Label3"), QString("Transit Midpoints = 1"));
  }

  void longListShowsWhatIsAddedAndEveryEntryWhole() {
    QWidget* w = OpenLunarMansions();
    QListWidget* entries = List(w, "lstLunarMansions");
    QListWidget* planets = List(w, "lstP1");
    QListWidget* padas = List(w, "lstP2");
    const QRect before[] = {planets->geometry(), padas->geometry(), entries->geometry()};
    // The longest planet name, with the last pada.
    QString longest;
    for (int row = 0; row < planets->count(); ++row)
      if (planets->fontMetrics().horizontalAdvance(planets->item(row)->text()) >
          planets->fontMetrics().horizontalAdvance(longest))
        longest = planets->item(row)->text();
    for (int row = 0; row < 40; ++row) AddPair(w, planets->item(row)->text(), "Nak-01, pada 1");
    AddPair(w, longest, "Nak-27, pada 4");
    QTest::qWait(0);
    // The pair added last is in view, whole.
    QListWidgetItem* last = entries->item(entries->count() - 1);
    QCOMPARE(last->text(), "Nak-27, pada 4/" + longest);
    const QRect shown = entries->visualItemRect(last);
    QVERIFY(entries->viewport()->rect().contains(shown.topLeft()));
    QVERIFY(entries->viewport()->rect().bottom() >= shown.bottom());
    const int margin = 2 * (entries->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, entries) + 1);
    QVERIFY2(entries->viewport()->width() >= entries->fontMetrics().horizontalAdvance(last->text()) + margin,
             qPrintable(last->text()));
    // The count label changed from "Lunar Mansions Selected" to "Lunar Mansions = 41"; the lists stay.
    QCOMPARE(LabelText(w, "Label3"), QString("Lunar Mansions = 41"));
    QCOMPARE(planets->geometry(), before[0]);
    QCOMPARE(padas->geometry(), before[1]);
    QCOMPARE(entries->geometry(), before[2]);
  }

  void fileMenuChoosesTheAuspiciousPointFile() {
    QAction* entry = f_.Find<QAction>("mnuFileLoad_apt_file");
    QVERIFY(entry->isEnabled());
    QCOMPARE(entry->text(), QString("Load .apt file"));
    fs::create_directories(f_.Home() / "apt");
    const QString file = Path("apt/lucky.apt");
    f_.files->answer = file;
    entry->trigger();
    const gui::FileRequest& asked = f_.files->requests.front();
    QCOMPARE(asked.title, QString("Load .apt transit to auspicious points file"));
    QCOMPARE(asked.filter, QString("Auspicious points Files (*.apt)"));
    QCOMPARE(asked.defaultSuffix, QString("apt"));
    QCOMPARE(f_.session->settings.aptFilename, file.toStdString());
    QCOMPARE(f_.session->settings.aptPath, Path("apt").toStdString());
    f_.files->answer.reset();
    entry->trigger();
    QCOMPARE(f_.files->requests.back().fileName, file);
    QCOMPARE(f_.session->settings.aptFilename, file.toStdString());
  }

  void fileMenuChoosesTheDegreePairFileForThisSessionOnly() {
    QAction* entry = f_.Find<QAction>("mnuFileLoad_t2n_file");
    QVERIFY(entry->isEnabled());
    QCOMPARE(entry->text(), QString("Load .t2n file"));
    const QString file = Path("pairs.t2n");
    f_.files->answer = file;
    entry->trigger();
    const gui::FileRequest& asked = f_.files->requests.front();
    QCOMPARE(asked.title, QString("Load .t2n transit to transit deg to natal deg file"));
    QCOMPARE(asked.filter, QString("Auspicious points Files (*.t2n)"));
    QCOMPARE(asked.defaultSuffix, QString("t2n"));
    QCOMPARE(f_.session->degreePairFile, file.toStdString());
    QCOMPARE(f_.session->degreePairPath, f_.Home().string());
    f_.window->close();  // writes the settings file
    const auto written = ReadWholeFile(f_.session->SettingsFile());
    QVERIFY(written.has_value());
    QVERIFY(!QString::fromStdString(*written).contains("pairs.t2n"));
  }
};

QTEST_MAIN(TargetListWindowTest)
#include "target_list_window_test.moc"
