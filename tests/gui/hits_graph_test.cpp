// "Find hotspots" after a run: the graph of the run's day, zoomed, its bars, and a right-button
// release that sends its minute to Person 2.
#include "gui_fixture.h"

#include "core/results/hotspots.h"
#include "gui/results/hits_graph.h"

#include <QLabel>
#include <QPushButton>

#include <swephexp.h>

using namespace kesmora;
using kesmora::test::GuiFixture;

class HitsGraphTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  // The mouse over the chart, and the colour painted there, at a point in drawing units.
  static QPoint At(gui::HitsGraph* g, Point units) { return g->PixelOf(units).toPoint(); }
  static QColor PixelAt(gui::HitsGraph* g, Point units) {
    QImage image = g->Canvas()->grab().toImage();
    return image.pixelColor((g->PixelOf(units) * image.devicePixelRatio()).toPoint());
  }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void graphOfTheRun() {
    f_.LoadExampleAsPerson1();
    f_.TickTransitPlanets({0, 1, 2});
    f_.SetDays(2);
    QVERIFY(f_.RunAndWait());
    QTest::mouseClick(f_.Find<QPushButton>("cmdFindHotspots"), Qt::LeftButton);
    auto* graph = GuiFixture::FindIn<gui::HitsGraph>(f_.window.get(), "Hits_graph");
    const HitsSeries& series = graph->State().series;
    const MinuteCounts counts = CountHotspots(HotspotHitsOf(f_.session->run), {2026, 12, 5}).counts;
    QCOMPARE(series.Points(), 1441);
    // The title writes the date as the days stepped to are written: 12/05/2026, not 12/5/2026.
    QVERIFY(GuiFixture::FindIn<QLabel>(graph, "Label4")->text().endsWith(" on 12/05/2026"));
    QVERIFY(std::equal(counts.begin(), counts.end(), series.counts.begin() + 1));

    // Marked near 12:45 pm and 1:30 pm (released left of the plot: nothing sent), then zoomed.
    QWidget* canvas = graph->Canvas();
    const GraphScale full = graph->State().scale;
    QTest::mousePress(canvas, Qt::LeftButton, {}, At(graph, {PointX(full, 766), 200}));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, At(graph, {PointX(full, 766), 200}));
    QTest::mousePress(canvas, Qt::RightButton, {}, At(graph, {PointX(full, 811), 200}));
    QTest::mouseRelease(canvas, Qt::RightButton, {}, At(graph, {10, 200}));
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalHour")->text(), QString("6"));
    const int left = graph->State().p1Index, right = graph->State().p2Index;
    graph->activateWindow();  // the grid window, shown by the run, may take the focus after it
    QTRY_COMPARE(QApplication::activeWindow(), graph);
    QTest::keyClick(graph, Qt::Key_F5);
    const GraphScale& zoomed = graph->State().scale;
    QCOMPARE(std::pair(zoomed.first, zoomed.last), std::pair(left, right + 1));

    // Each bar blue from the baseline up to its count, and not above.
    int bars = 0;
    for (int i = zoomed.first + 1; i < zoomed.last; ++i) {
      const double x = PointX(zoomed, i), top = CountY(zoomed, series.counts[static_cast<size_t>(i)]);
      if (top > graph::Top + 4) QVERIFY(PixelAt(graph, {x, top - 3}) != QColor(Qt::blue));
      if (top > graph::Bottom - 4) continue;
      ++bars;
      QCOMPARE(PixelAt(graph, {x, (top + graph::Bottom) / 2}), QColor(Qt::blue));
    }
    QVERIFY(bars > 10);

    // Released over 01:15 pm, the right button sends that minute to Person 2 and calculates.
    const QPoint quarterPast = At(graph, {PointX(zoomed, 796), 200});
    QTest::mousePress(canvas, Qt::RightButton, {}, quarterPast);
    QTest::mouseRelease(canvas, Qt::RightButton, {}, quarterPast);
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalHour")->text(), QString("1"));
    QCOMPARE(f_.session->chart.transitJulianDay, swe_julday(2026, 12, 5, 13.25, SE_GREG_CAL));
  }

  // On the full day a point is narrower than a drawing unit: a right-button release sends the
  // minute its hover text names, not one rounded down about two points before it.
  void rightClickOnTheFullDaySendsTheMinuteItsLabelShows() {
    std::pair<int, int> sent{-1, -1};
    gui::HitsGraph graph(*f_.session, *f_.ui, *f_.files, *f_.printer,
                         [&](const CivilDate&, int hour, int minute) { sent = {hour, minute}; }, nullptr);
    gui::HotspotDay day{"A and B", "12/5/2026", {2026, 12, 5}, {}, {}};
    for (size_t m = 0; m < day.counts.size(); ++m) day.counts[m] = static_cast<int>(m % 7);
    graph.Form_Load(std::move(day));
    const GraphScale& full = graph.State().scale;
    QCOMPARE(std::pair(full.first, full.last), std::pair(1, 1441));
    for (double offset : {0.0, 0.3, 0.45, 0.6, 0.9}) {
      const QPoint at = At(&graph, {PointX(full, 634) + offset * full.spacing, 200});
      QTest::mousePress(graph.Canvas(), Qt::RightButton, {}, at);
      QTest::mouseRelease(graph.Canvas(), Qt::RightButton, {}, at);
      const QString shown = GuiFixture::FindIn<QLabel>(&graph, "Label2")->text();
      const QString sentText = QString("%1:%2 %3")
                                   .arg((sent.first + 11) % 12 + 1, 2, 10, QChar('0'))
                                   .arg(sent.second, 2, 10, QChar('0'))
                                   .arg(sent.first < 12 ? "am" : "pm");
      QVERIFY2(shown.endsWith(" hits at " + sentText), qPrintable(shown + " / sent " + sentText));
    }
  }
};

QTEST_MAIN(HitsGraphTest)
#include "hits_graph_test.moc"
