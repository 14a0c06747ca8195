// The grid leaves Kesmora: into a real LibreOffice Calc, started headless by this test, at the
// active cell with its widths, alignment and fonts; "No spreadsheet open" when no Calc listens;
// and "Save as calendar…" in the grid window.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "gui/results/spreadsheet_export.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTcpServer>
#include <QTableWidget>

#include <map>

using namespace kesmora;
using kesmora::test::GuiFixture;
using Outcome = kesmora::gui::SpreadsheetExport::Outcome;
namespace fs = std::filesystem;

class ExportTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;
  QTemporaryDir office_;  // the LibreOffice profile of this test
  QProcess soffice_;
  QString connection_;

  // The sample person against two days of the transiting Moon.
  void RunMoon() {
    f_.LoadExampleAsPerson1();
    f_.TickTransitPlanets({1});
    f_.SetDays(2);
    QVERIFY(f_.RunAndWait());
    QVERIFY(Grid()->rowCount() >= 2);
  }
  QWidget* GridForm() const { return GuiFixture::FindIn<QWidget>(f_.window.get(), "Grid_form"); }
  QTableWidget* Grid() const { return GuiFixture::FindIn<QTableWidget>(GridForm(), "grdOutput"); }
  QString Cell(int row, int column) const { return Grid()->item(row, column)->text(); }

  Outcome Export() {
    f_.Find<QPushButton>("cmdCopyToExcel")->click();
    auto* job = f_.Find<gui::SpreadsheetExport>("CalcExport");
    QSignalSpy done(job, &gui::SpreadsheetExport::finished);
    if (!done.wait(60000)) qFatal("the export did not end");
    return done.first().at(0).value<Outcome>();
  }

  // Runs the probe against the test's Calc; its output lines.
  QStringList Probe(const QStringList& args) {
    QProcess p;
    p.start("/usr/bin/python3", QStringList{QString(KESMORA_TEST_DIR) + "/calc_probe.py", connection_} + args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
      qFatal("calc_probe %s failed: %s", qPrintable(args.join(' ')), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  }
  std::map<QString, QJsonObject> Read(const QStringList& cells) {
    std::map<QString, QJsonObject> out;
    for (const QString& line : Probe(QStringList{"read"} + cells)) {
      QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
      out[o["cell"].toString()] = o;
    }
    return out;
  }

 private slots:
  void initTestCase() {
    if (!QFile::exists("/usr/bin/soffice"))
      QFAIL("LibreOffice Calc is missing: scripts/setup.sh installs libreoffice-calc and python3-uno");
    connection_ = QString("pipe,name=kesmora-test-%1;urp;StarOffice.ComponentContext").arg(QCoreApplication::applicationPid());
    soffice_.start("/usr/bin/soffice", {"--headless", "--norestore", "--nodefault", "--nologo", "--nolockcheck",
                                        "-env:UserInstallation=file://" + office_.path(), "--accept=" + connection_});
    QVERIFY(soffice_.waitForStarted());
  }

  void cleanupTestCase() {
    QProcess::execute("/usr/bin/python3", {QString(KESMORA_TEST_DIR) + "/calc_probe.py", connection_, "quit"});
    if (!soffice_.waitForFinished(20000)) soffice_.kill();
    soffice_.waitForFinished(5000);
  }

  void init() {
    qputenv("KESMORA_CALC_CONNECTION", connection_.toUtf8());
    f_.Start();
  }
  void cleanup() { f_.Stop(); }

  void copiesTheGridFromTheActiveCell() {
    RunMoon();
    // A cell in red, bold and italic: the sheet copies how the grid shows it.
    QTableWidgetItem* planet = Grid()->item(0, 2);
    QFont font = Grid()->font();
    font.setBold(true);
    font.setItalic(true);
    planet->setFont(font);
    planet->setForeground(QColor(255, 0, 0));
    QCOMPARE(Probe({"prepare", "D5"}), QStringList{"ready"});

    QCOMPARE(Export(), Outcome::Copied);
    QVERIFY(f_.ui->messages.empty());
    int zeroLed = 0;  // the first hit whose aspect is written with a leading zero ("000", "060")
    while (zeroLed < Grid()->rowCount() && !Cell(zeroLed, 6).startsWith('0')) ++zeroLed;
    QVERIFY(zeroLed < Grid()->rowCount());
    const QString aspectCell = QString("I%1").arg(5 + zeroLed);
    auto cells = Read({"C5", "D5", "E5", "G5", aspectCell, "P5", "Q5", "D6", "P6"});
    // Grid column c of row r lands in sheet column D - 1 + c, row 5 - 1 + r.
    QCOMPARE(cells["D5"]["text"].toString(), Cell(0, 1));
    QCOMPARE(cells["E5"]["text"].toString(), Cell(0, 2));
    QCOMPARE(cells["P5"]["text"].toString(), Cell(0, 13));
    QCOMPARE(cells["D6"]["text"].toString(), Cell(1, 1));
    QCOMPARE(cells["P6"]["text"].toString(), Cell(1, 13));
    QCOMPARE(cells["C5"]["text"].toString(), QString());
    QCOMPARE(cells["Q5"]["text"].toString(), QString());
    // The mansion number is a number in the sheet.
    QVERIFY(!cells["G5"]["isText"].toBool());
    QCOMPARE(cells["G5"]["value"].toDouble(), Cell(0, 4).toDouble());
    // An aspect such as "060" keeps its digits.
    QVERIFY(cells[aspectCell]["isText"].toBool());
    QCOMPARE(cells[aspectCell]["text"].toString(), Cell(zeroLed, 6));
    // Fonts as in the grid.
    QCOMPARE(cells["E5"]["color"].toInt(), 0xFF0000);
    QVERIFY(cells["E5"]["bold"].toBool() && cells["E5"]["italic"].toBool());
    QCOMPARE(cells["D5"]["color"].toInt(), static_cast<int>(Grid()->palette().color(QPalette::Text).rgb() & 0xFFFFFF));
    QVERIFY(!cells["D5"]["bold"].toBool() && !cells["D5"]["italic"].toBool());
    // Width 14 for T. Planet and the three times, the others as they were; all thirteen left.
    QCOMPARE(cells["E5"]["width"].toInt(), 2725);
    QCOMPARE(cells["P5"]["width"].toInt(), 2725);
    QVERIFY(cells["D5"]["width"].toInt() != 2725);
    QVERIFY(cells["G5"]["width"].toInt() != 2725);
    for (const char* c : {"D5", "G5", "P5"}) QVERIFY2(cells[c]["left"].toBool(), c);
    QVERIFY(!cells["Q5"]["left"].toBool());
  }

  void noSpreadsheetOpenWhenNothingListens() {
    qputenv("KESMORA_CALC_CONNECTION", "pipe,name=kesmora-nobody-listens;urp;StarOffice.ComponentContext");
    RunMoon();
    QCOMPARE(Export(), Outcome::NoSpreadsheet);
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    const Message& m = f_.ui->messages[0];
    QCOMPARE(QString::fromStdString(m.title), QString("No spreadsheet open"));
    QStringList lines = QString::fromStdString(m.text).split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QString("Please open an Excel spreadsheet before performing this operation."));
    QVERIFY(lines[1].contains("soffice --calc \"--accept=pipe,name=kesmora-nobody-listens;urp;"));
  }

  void cancelEndsTheCopyQuietly() {
    // A listener that takes the connection and never answers holds the copy where Cancel finds it.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    qputenv("KESMORA_CALC_CONNECTION",
            QString("socket,host=127.0.0.1,port=%1;urp;StarOffice.ComponentContext").arg(silent.serverPort()).toUtf8());
    RunMoon();
    f_.Find<QPushButton>("cmdCopyToExcel")->click();
    auto* job = f_.Find<gui::SpreadsheetExport>("CalcExport");
    QSignalSpy done(job, &gui::SpreadsheetExport::finished);
    QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingConnections(), 30000);
    f_.Find<QProgressDialog>("CalcExportProgress")->findChild<QPushButton*>()->click();
    QVERIFY(done.count() == 1 || done.wait(30000));
    QCOMPARE(done.first().at(0).value<Outcome>(), Outcome::Cancelled);
    QVERIFY(f_.ui->messages.empty());
  }

  void gridSavesAsCalendar() {
    RunMoon();
    const fs::path file = f_.Home() / "reports" / "moon.ics";
    f_.files->answer = QString::fromStdString(file.string());
    GuiFixture::FindIn<QAction>(GridForm(), "mnuSaveAsCalendar")->trigger();
    std::string ics = ReadWholeFile(file).value_or("");
    int events = 0;
    for (size_t at = ics.find("BEGIN:VEVENT"); at != std::string::npos; at = ics.find("BEGIN:VEVENT", at + 1)) ++events;
    QCOMPARE(events, Grid()->rowCount());
    QVERIFY(ics.find("SUMMARY:" + Cell(0, 2).toStdString() + " " + Cell(0, 6).toStdString()) != std::string::npos);
    // The next export proposes the same file, so that it is replaced.
    GuiFixture::FindIn<QAction>(GridForm(), "mnuSaveAsCalendar")->trigger();
    QCOMPARE(f_.files->requests.back().fileName, QString("moon.ics"));
    QCOMPARE(f_.files->requests.back().directory, QString::fromStdString(file.parent_path().string()));
    QVERIFY(f_.ui->messages.empty());
  }
};

QTEST_MAIN(ExportTest)
#include "export_test.moc"
