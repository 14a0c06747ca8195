// The list editors of the midpoint lists and the lunar mansions, opened from the main window's
// menu: the list files they save and load back, and edits that are never lost unasked.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "gui/search/target_list_window.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

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

  void saveWritesTheEntriesAndLoadReadsThemBack() {
    QWidget* w = Open("mnuMidpoints_t_to_t", "Midpoints_t_to_t");
    AddPair(w, "Venus", "Mars");
    AddPair(w, "Mars", "Venus");
    fs::create_directories(f_.Home() / "lists");
    const QString file = Path("lists/mine.mpt");
    QVERIFY(WriteFileAtomically(file.toStdString(), "an older and longer list\r\nSun/Moon\r\nSun/Mars\r\n"));
    f_.files->answer = file;
    Click(w, "cmdSave");

    QCOMPARE(f_.files->requests.front().defaultSuffix, QString("mpt"));
    QCOMPARE(Bytes(file), std::string("Venus/Mars\r\nMars/Venus\r\n"));  // the older list replaced whole
    QCOMPARE(f_.session->settings.mptFilename, file.toStdString());
    QCOMPARE(LabelText(w, "Label4"), QString("Midpoint file: mine.mpt"));

    Click(w, "cmdClear");
    f_.ui->answers.push_back(Answer::Discard);  // the cleared list is not kept
    Click(w, "cmdLoad");
    QCOMPARE(f_.files->requests.back().fileName, file);
    QCOMPARE(Texts(List(w, "lstMidpoints")), (QStringList{"Venus/Mars", "Mars/Venus"}));
    QCOMPARE(LabelText(w, "Label3"), QString("Transit Midpoints = 2"));
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
};

QTEST_MAIN(TargetListWindowTest)
#include "target_list_window_test.moc"
