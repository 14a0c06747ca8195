// "Find hotspots" and the hits graph: opened after a run, zoomed and right-clicked with the
// mouse, other days, the hits file, help lines and notes, printing, and what it paints.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "core/results/hits_file.h"
#include "core/results/hotspots.h"
#include "gui/results/hits_graph.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <swephexp.h>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class HitsGraphTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  fs::path Hits() const { return f_.Home() / "hits"; }

  gui::HitsGraph* Graph() const { return GuiFixture::FindIn<gui::HitsGraph>(f_.window.get(), "Hits_graph"); }

  // The mouse over the chart at a point in drawing units.
  static QPoint At(gui::HitsGraph* g, Point units) { return g->PixelOf(units).toPoint(); }

  // A graph of a given day opened without a run.
  gui::HitsGraph* OpenDay(const MinuteCounts& counts, const std::string& dateText, CivilDate date) {
    auto* graph = new gui::HitsGraph(*f_.session, *f_.ui, *f_.files, *f_.printer, nullptr, f_.window.get());
    graph->Form_Load({"Example and Transits - Now", dateText, date, counts, {}});
    return graph;
  }

  // The colour of the pixel that holds a point in drawing units.
  static QColor PixelAt(gui::HitsGraph* g, Point units) {
    QImage image = g->Canvas()->grab().toImage();
    QPointF p = g->PixelOf(units) * image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(std::floor(p.x() + 1e-6)), static_cast<int>(std::floor(p.y() + 1e-6)));
  }

  // Shortcuts reach the window that is active; windows shown before may still take the focus.
  static void Activate(QWidget* w) {
    w->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), w);
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
    gui::HitsGraph* graph = Graph();
    QVERIFY(graph->isVisible());
    QCOMPARE(graph->windowTitle(), QString("# of Hits"));
    QCOMPARE(graph->size(), QSize(14355 / 15, 8250 / 15));
    const HitsSeries& series = graph->State().series;
    QCOMPARE(series.dateText, std::string("12/5/2026"));  // as the fields were typed
    QCOMPARE(GuiFixture::FindIn<QLabel>(graph, "Label4")->text(),
             QString("Number of HITS for Example and Transits - Now on 12/5/2026"));
    const HotspotHits hits = HotspotHitsOf(f_.session->run);
    const MinuteCounts counts = CountHotspots(hits, {2026, 12, 5}).counts;
    QCOMPARE(series.Points(), 1441);
    for (int m = 0; m < MinutesPerDay; ++m) QCOMPARE(series.counts[static_cast<size_t>(m) + 1], counts[static_cast<size_t>(m)]);
    QVERIFY(*std::max_element(counts.begin(), counts.end()) > 0);
    QCOMPARE(*ReadWholeFile(WorkingHitsFile(f_.Home())), HitsFileText(series));

    // Pressed again, the open window comes to the front as it is.
    QTest::mouseClick(f_.Find<QPushButton>("cmdFindHotspots"), Qt::LeftButton);
    QCOMPARE(f_.window->findChildren<gui::HitsGraph*>().size(), 1);

    // Left button near 12:45 pm, right button near 1:30 pm, then Zoom.
    QWidget* canvas = graph->Canvas();
    const GraphScale full = graph->State().scale;
    QTest::mousePress(canvas, Qt::LeftButton, {}, At(graph, {PointX(full, 766), 200}));
    const int left = graph->State().p1Index;
    QVERIFY(std::abs(left - 766) <= 2);
    QCOMPARE(GuiFixture::FindIn<QLabel>(graph, "Label1")->text(),
             QString("%1 hits at %2").arg(series.counts[left]).arg(QString::fromStdString(series.labels[left])));
    QVERIFY(GuiFixture::FindIn<QWidget>(graph, "VLine1")->isVisible());
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, At(graph, {PointX(full, 766), 200}));
    QVERIFY(!GuiFixture::FindIn<QWidget>(graph, "VLine1")->isVisible());
    QTest::mousePress(canvas, Qt::RightButton, {}, At(graph, {PointX(full, 811), 200}));
    const int right = graph->State().p2Index;
    QTest::mouseRelease(canvas, Qt::RightButton, {}, At(graph, {10, 200}));  // left of the plot: nothing sent
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalHour")->text(), QString("6"));
    Activate(graph);
    QTest::keyClick(graph, Qt::Key_F5);
    QCOMPARE(graph->State().scale.first, left);
    QCOMPARE(graph->State().scale.last, right + 1);

    // Releasing the right button over 01:15 pm sends that minute to Person 2 and calculates.
    const QPoint quarterPast = At(graph, {PointX(graph->State().scale, 796), 200});
    QCOMPARE(series.labels[796], std::string("01:15 pm"));
    QTest::mousePress(canvas, Qt::RightButton, {}, quarterPast);
    QTest::mouseRelease(canvas, Qt::RightButton, {}, quarterPast);
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalHour")->text(), QString("1"));
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalMinute")->text(), QString("15"));
    QVERIFY(f_.Find<QRadioButton>("optDiurnalPM")->isChecked());
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalMonth")->text(), QString("12"));
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalDay")->text(), QString("5"));
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalYear")->text(), QString("2026"));
    QCOMPARE(f_.session->chart.transitJulianDay, swe_julday(2026, 12, 5, 13.25, SE_GREG_CAL));

    // The next and previous days of the same run, counted again without a search.
    Activate(graph);
    QTest::keyClick(graph, Qt::Key_PageDown);
    QCOMPARE(graph->State().series.dateText, std::string("12/06/2026"));
    QCOMPARE(graph->State().scale.first, 1);
    const MinuteCounts next = CountHotspots(hits, {2026, 12, 6}).counts;
    for (int m = 0; m < MinutesPerDay; ++m)
      QCOMPARE(graph->State().series.counts[static_cast<size_t>(m) + 1], next[static_cast<size_t>(m)]);
    QTest::keyClick(graph, Qt::Key_PageUp);
    QTest::keyClick(graph, Qt::Key_PageUp);
    QCOMPARE(graph->State().series.dateText, std::string("12/04/2026"));
    QCOMPARE(*ReadWholeFile(WorkingHitsFile(f_.Home())), HitsFileText(graph->State().series));

    // A dated copy of the working file; without a working file there is nothing to save.
    graph->mnuSave_Click();
    QCOMPARE(*ReadWholeFile(Hits() / "Example_12-04-2026_0000_0.csv"), *ReadWholeFile(WorkingHitsFile(f_.Home())));
    fs::remove(WorkingHitsFile(f_.Home()));
    graph->mnuSave_Click();
    QCOMPARE(f_.ui->messages.size(), size_t(1));
    QCOMPARE(f_.ui->messages[0].text, std::string("There is no file to save."));
    QCOMPARE(f_.ui->messages[0].title, std::string("Error"));
  }

  void fileDrawnAndRefused() {
    gui::HitsGraph* graph = OpenDay({}, "12/05/2026", {2026, 12, 5});
    // Evening points five minutes apart: counts 0, 0, 5, 0, 10, then none.
    std::vector<std::string> lines{"A and B", "12/05/2026", " 6 ", " 30 ", "pm", " 60 ", " 5 ", "0", "0", "5", "0", "10"};
    for (int k = 0; k < 8; ++k) lines.push_back("0");
    const fs::path good = Hits() / "evening.csv";
    WriteFileAtomically(good, JoinCrlf(lines));
    f_.files->answer = QString::fromStdString(good.string());
    graph->mnuFileLoad_Click();
    QCOMPARE(f_.files->requests.back().title, QString("Specify .csv file to load"));
    const gui::HitsGraphState& s = graph->State();
    QCOMPARE(s.series.Points(), 13);
    QCOMPARE(s.series.labels[3], std::string("06:40 pm"));
    QCOMPARE(s.scale.last, 13);
    QCOMPARE(*ReadWholeFile(WorkingHitsFile(f_.Home())), JoinCrlf(lines));
    QVERIFY(!GuiFixture::FindIn<QAction>(graph, "mnuNextDay")->isEnabled());  // the file is not of a run

    // A bar where a count is, background elsewhere.
    const QColor blue(0, 0, 255), white(255, 255, 255);
    QCOMPARE(PixelAt(graph, {PointX(s.scale, 3), 390}), blue);
    QCOMPARE(PixelAt(graph, {PointX(s.scale, 3), 150}), white);  // above the bar of 5 out of 10
    QCOMPARE(PixelAt(graph, {PointX(s.scale, 4), 390}), white);
    QCOMPARE(PixelAt(graph, {PointX(s.scale, 5), 10}), blue);
    graph->mnuReDrawColorR_Click();
    QCOMPARE(PixelAt(graph, {PointX(s.scale, 4), 390}), QColor(192, 192, 192));

    // One count too many: a message, and the graph and the working file stay as they were.
    const std::string shown = JoinCrlf(lines);
    lines.push_back("0");
    const fs::path bad = Hits() / "bad.csv";
    WriteFileAtomically(bad, JoinCrlf(lines));
    f_.files->answer = QString::fromStdString(bad.string());
    graph->mnuFileLoad_Click();
    QCOMPARE(f_.ui->messages.size(), size_t(1));
    QVERIFY(f_.ui->messages[0].text.find("holds 14 counts where its header gives 13 points") != std::string::npos);
    QCOMPARE(graph->State().series.Points(), 13);
    QCOMPARE(*ReadWholeFile(WorkingHitsFile(f_.Home())), shown);
  }

  void helpLinesNotesAndWins() {
    // The sample person's own day: "Mark wins" marks 10:43 am from the names file.
    gui::HitsGraph* graph = OpenDay({}, "09/22/1949", {1949, 9, 22});
    QWidget* canvas = graph->Canvas();
    QTest::mousePress(canvas, Qt::LeftButton, {}, At(graph, {100, 200}));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, At(graph, {100, 200}));
    QTest::mousePress(canvas, Qt::RightButton, {}, At(graph, {300, 100}));
    QTest::mouseRelease(canvas, Qt::RightButton, {}, At(graph, {300, 100}));
    Activate(graph);
    QTest::keyClick(graph, Qt::Key_T, Qt::ControlModifier);  // connect the two points
    QTest::keyClick(graph, Qt::Key_E, Qt::ControlModifier);  // and extend the line
    QTest::keyClick(graph, Qt::Key_H, Qt::ControlModifier);  // a level line through P1
    QCOMPARE(graph->State().helpLines.size(), size_t(3));
    QTest::mouseMove(canvas, At(graph, {400, 300}));
    QTest::keyClicks(canvas, "ok");
    QCOMPARE(graph->State().notes.size(), size_t(2));
    QVERIFY(graph->State().notes[1].at.x > graph->State().notes[0].at.x);
    QCOMPARE(PixelAt(graph, {graph::PlotLeft + 50, graph->State().p1.y}), QColor(255, 0, 0));
    canvas->repaint();  // painting again keeps them
    QCOMPARE(graph->State().helpLines.size(), size_t(3));

    QTest::keyClick(graph, Qt::Key_M, Qt::ControlModifier);
    QVERIFY(graph->State().helpLines.empty());  // a redraw starts a clean chart
    QCOMPARE(graph->State().winXs.size(), size_t(1));
    QCOMPARE(graph->State().winXs[0], PointX(graph->State().scale, 644));
    QCOMPARE(PixelAt(graph, {graph->State().winXs[0], 300}), QColor(255, 0, 0));

    QTest::mousePress(canvas, Qt::LeftButton, {}, At(graph, {100, 200}));
    graph->mnuLinesVL_Click();
    QCOMPARE(graph->State().helpLines.size(), size_t(1));
    graph->resize(graph->size() + QSize(40, 20));
    QTRY_VERIFY(graph->State().helpLines.empty());
    QCOMPARE(f_.session->settings.hitGraph.width, graph->width() * 15);

    // Printed into a PDF, saved as a picture.
    f_.printer->pdfFile = QString::fromStdString((f_.Home() / "graph.pdf").string());
    graph->mnuPrintGraph_Click();
    QCOMPARE(f_.printer->asked, 1);
    QVERIFY(fs::file_size(f_.Home() / "graph.pdf") > 1000);
    f_.files->answer = QString::fromStdString((f_.Home() / "graph.png").string());
    graph->mnuSavePicture_Click();
    QImage picture(QString::fromStdString((f_.Home() / "graph.png").string()));
    QCOMPARE(picture.size(), canvas->size() * 2);
    f_.files->answer = QString::fromStdString((f_.Home() / "graph.pdf").string());
    fs::remove(f_.Home() / "graph.pdf");
    graph->mnuSavePicture_Click();
    QVERIFY(fs::file_size(f_.Home() / "graph.pdf") > 1000);
    QVERIFY(f_.ui->messages.empty());
  }
};

QTEST_MAIN(HitsGraphTest)
#include "hits_graph_test.moc"
