// A run with a target list switched on whose file is not there asks for it before it starts;
// a chosen file is searched, a cancelled dialog leaves the list empty and the run goes on.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "gui/results/grid_window.h"
#include "core/search/target_lists.h"

#include <QAction>
#include <QTableWidget>

#include <cmath>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class TargetListRunTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  QTableWidget* Grid() const {
    auto* form = GuiFixture::FindIn<QWidget>(f_.window.get(), "Grid_form");
    return GuiFixture::FindIn<QTableWidget>(form, "grdOutput");
  }

  int PassRows(const char* pass) const {
    int found = 0;
    for (const Hit& h : f_.session->run.hits.RunHits())
      if (h.kind == HitKind::Longitude && PassNumber(h.pass) == std::atoi(pass)) ++found;
    return found;
  }

  // The pada the transit Moon enters next after the chart moment: within hours, inside a
  // run of two days from midnight.
  QString NextMoonPada() const {
    const int moon = PlanetIndexByName(f_.session->tables, "Moon");
    const double lon = f_.session->chart.transitLon[static_cast<size_t>(moon)];
    const int q = (static_cast<int>(std::floor(lon / (40.0 / 12))) + 1) % 108;
    return QString::fromStdString(PadaTexts()[static_cast<size_t>(q)]);
  }

  void Tick(const char* box, bool on) { f_.Find<QCheckBox>(box)->setChecked(on); }

  QStringList AskedTitles() const {
    QStringList titles;
    for (const gui::FileRequest& r : f_.files->requests) titles << r.title;
    return titles;
  }

 private slots:
  void init() {
    f_.Start();
    f_.SetDays(2);
  }
  void cleanup() { f_.Stop(); }

  void missingLunarMansionFileIsAskedForAndSearched() {
    const QString pada = NextMoonPada();
    const fs::path list = f_.Home() / "chosen.nak";
    QVERIFY(WriteFileAtomically(list, (pada + "/Moon\r\n").toStdString()));
    f_.files->answer = QString::fromStdString(list.string());
    Tick("chkNatal_Transit_0", false);
    Tick("chkIncludeLunarMansions", true);
    QVERIFY(f_.session->settings.nakFilename.empty());
    QVERIFY(f_.RunAndWait());

    QCOMPARE(AskedTitles(), QStringList{"Load .nak transit to lunar mansion file"});
    QCOMPARE(f_.files->requests.front().filter, QString("Lunar mansion (Nakshatra) Files (*.nak)"));
    QCOMPARE(f_.session->settings.nakFilename, list.string());
    QVERIFY(PassRows("4") >= 1);
    QCOMPARE(Grid()->item(0, 2)->text(), pada);
    QVERIFY(f_.ui->messages.empty());

    // The file is there now: the next run does not ask.
    QVERIFY(f_.RunAndWait());
    QCOMPARE(f_.files->requests.size(), size_t{1});
  }

  void cancelledListDialogLeavesTheListEmptyAndTheRunGoesOn() {
    f_.TickTransitPlanets({0});
    Tick("chkIncludeLunarMansions", true);
    f_.files->answer.reset();
    QVERIFY(f_.RunAndWait());
    QCOMPARE(f_.files->requests.size(), size_t{1});
    QVERIFY(f_.session->settings.nakFilename.empty());
    QCOMPARE(PassRows("4"), 0);
    QVERIFY(PassRows("0") > 0);
    QCOMPARE(Grid()->rowCount(), f_.session->run.hits.HitCount());
  }

  void onlyMissingFilesAreAskedForInLoadingOrder() {
    const fs::path nak = f_.Home() / "there.nak";
    QVERIFY(WriteFileAtomically(nak, "Nak-01, pada 1/Moon\r\n"));
    f_.session->settings.nakFilename = nak.string();
    f_.session->settings.nmpFilename = (f_.Home() / "deleted.nmp").string();
    Tick("chkNatal_Transit_0", false);
    Tick("chkInclude_Transit_Midpoints_to_Natal_Midpoints", true);
    Tick("chkIncludeLunarMansions", true);
    Tick("chkIncludeAuspiciousPoints", true);
    f_.files->answer.reset();
    f_.SetDays(0);
    QVERIFY(f_.RunAndWait());
    QCOMPARE(AskedTitles(), (QStringList{"Load .apt transit to auspicious points file",
                                         "Load .mpn transit to natal midpoints file",
                                         "Load .nmp transit to natal midpoints file"}));
    QCOMPARE(f_.session->settings.nmpFilename, (f_.Home() / "deleted.nmp").string());
  }

  void filesChosenInTheFileMenuAreReadByTheNextRun() {
    const fs::path apt = f_.Home() / "lucky.apt";
    const fs::path t2n = f_.Home() / "pairs.t2n";
    QVERIFY(WriteFileAtomically(apt, "Lucky 015/Moon\r\nGood 250/Mercury\r\n"));
    QVERIFY(WriteFileAtomically(t2n, "Deg 100/123.5\r\n"));
    f_.files->answer = QString::fromStdString(apt.string());
    f_.Find<QAction>("mnuFileLoad_apt_file")->trigger();
    f_.files->answer = QString::fromStdString(t2n.string());
    f_.Find<QAction>("mnuFileLoad_t2n_file")->trigger();
    f_.files->answer.reset();
    Tick("chkNatal_Transit_0", false);
    Tick("chkIncludeAuspiciousPoints", true);
    Tick("chkIncludeTDeg_to_NDeg", true);
    QVERIFY(f_.RunAndWait());
    QCOMPARE(f_.files->requests.size(), size_t{2});  // the two menu entries, none from the run
    const auto& count = f_.session->run.extra.count;
    QCOMPARE(count[static_cast<size_t>(ListKind::DegreePairs)], 1);
    QCOMPARE(count[static_cast<size_t>(ListKind::AuspiciousPoints)], 2);
  }
};

QTEST_MAIN(TargetListRunTest)
#include "target_list_run_test.moc"
