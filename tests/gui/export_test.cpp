// "Copy grid data to Excel": the grid into a headless LibreOffice Calc started by this test, at the
// active cell with its widths, alignment and fonts; "No spreadsheet open" when no Calc listens.
#include "gui_fixture.h"

#include "gui/results/spreadsheet_export.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>

using namespace kesmora;
using kesmora::test::GuiFixture;
using Outcome = kesmora::gui::SpreadsheetExport::Outcome;

class ExportTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;
  QTemporaryDir office_;  // the LibreOffice profile of this test
  QProcess soffice_;
  const QString connection_ =
      QString("pipe,name=kesmora-test-%1;urp;StarOffice.ComponentContext").arg(QCoreApplication::applicationPid());

  QTableWidget* Grid() const { return GuiFixture::FindIn<QTableWidget>(f_.Find<QWidget>("Grid_form"), "grdOutput"); }
  QString Cell(int row, int column) const { return Grid()->item(row, column)->text(); }

  // The sample person against two days of the transiting Moon.
  void RunMoon() {
    f_.LoadExampleAsPerson1();
    f_.TickTransitPlanets({1});
    f_.SetDays(2);
    if (!f_.RunAndWait() || Grid()->rowCount() < 2) qFatal("the run gave fewer than two rows");
  }
  Outcome Copy(const QString& connection) {
    qputenv("KESMORA_CALC_CONNECTION", connection.toUtf8());
    f_.Find<QPushButton>("cmdCopyToExcel")->click();
    QSignalSpy done(f_.Find<gui::SpreadsheetExport>("CalcExport"), &gui::SpreadsheetExport::finished);
    if (!done.wait(60000)) qFatal("the export did not end");
    return done.first().at(0).value<Outcome>();
  }

  // Runs the probe against the test's Calc; what it prints.
  QByteArray Probe(const QStringList& args) {
    QProcess p;
    p.start("/usr/bin/python3", QStringList{KESMORA_TEST_DIR "/calc_probe.py", connection_} + args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
      qFatal("calc_probe %s failed: %s", qPrintable(args.join(' ')), p.readAllStandardError().constData());
    return p.readAllStandardOutput();
  }

 private slots:
  void initTestCase() {
    if (QProcess::execute("/usr/bin/python3", {"-c", "import uno"}) != 0)
      QSKIP("LibreOffice's Python bridge is missing: scripts/setup.sh installs python3-uno and libreoffice-calc");
  }
  void cleanupTestCase() {  // ends the test's LibreOffice
    if (soffice_.state() != QProcess::NotRunning) Probe({"quit"});
    soffice_.waitForFinished(20000);
  }
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void copiesTheGridFromTheActiveCell() {
    if (!QFile::exists("/usr/bin/soffice")) QSKIP("LibreOffice Calc is missing: scripts/setup.sh installs libreoffice-calc");
    soffice_.start("/usr/bin/soffice", {"--headless", "--norestore", "--nodefault", "--nologo", "--nolockcheck",
                                        "-env:UserInstallation=file://" + office_.path(), "--accept=" + connection_});
    QVERIFY(soffice_.waitForStarted());
    RunMoon();
    // A cell in red, bold and italic: the sheet copies how the grid shows it.
    QFont font = Grid()->font();
    font.setBold(true);
    font.setItalic(true);
    Grid()->item(0, 2)->setFont(font);
    Grid()->item(0, 2)->setForeground(QColor(255, 0, 0));
    QCOMPARE(Probe({"prepare", "D5"}), QByteArray("ready\n"));
    QCOMPARE(Copy(connection_), Outcome::Copied);
    QVERIFY(f_.ui->messages.empty());
    int zeroLed = 0;  // the first hit whose aspect is written with a leading zero ("000", "060")
    while (zeroLed < Grid()->rowCount() && !Cell(zeroLed, 6).startsWith('0')) ++zeroLed;
    QVERIFY(zeroLed < Grid()->rowCount());
    const QString aspect = QString("I%1").arg(5 + zeroLed);
    const QJsonObject sheet =
        QJsonDocument::fromJson(Probe({"read", "C5", "D5", "E5", "G5", aspect, "P5", "Q5", "D6", "P6"})).object();
    auto at = [&](const QString& cell, const char* key) { return sheet[cell].toObject().value(key); };
    // Grid column c of row r lands in sheet column D - 1 + c, row 5 - 1 + r; nothing beside it.
    const std::pair<QString, QString> texts[] = {{"D5", Cell(0, 1)}, {"E5", Cell(0, 2)}, {"P5", Cell(0, 13)},
                                                 {"D6", Cell(1, 1)}, {"P6", Cell(1, 13)}, {"C5", ""},
                                                 {"Q5", ""},         {aspect, Cell(zeroLed, 6)}};
    for (const auto& [cell, text] : texts) QCOMPARE(at(cell, "text").toString(), text);
    // The mansion number is a number in the sheet; an aspect such as "060" stays text.
    QVERIFY(!at("G5", "isText").toBool() && at(aspect, "isText").toBool());
    QCOMPARE(at("G5", "value").toDouble(), Cell(0, 4).toDouble());
    // Fonts as in the grid.
    QCOMPARE(at("E5", "color").toInt(), 0xFF0000);
    QVERIFY(at("E5", "bold").toBool() && at("E5", "italic").toBool() && !at("D5", "bold").toBool());
    // Width 14 (2725) for T. Planet and the three times, the others as they were; the thirteen left.
    const std::tuple<const char*, bool, bool> columns[] = {
        {"D5", false, true}, {"E5", true, true}, {"G5", false, true}, {"P5", true, true}, {"Q5", false, false}};
    for (const auto& [cell, wide, left] : columns)
      QVERIFY2((at(cell, "width").toInt() == 2725) == wide && at(cell, "left").toBool() == left, cell);
  }

  void noSpreadsheetOpenWhenNothingListens() {
    RunMoon();
    QCOMPARE(Copy("pipe,name=kesmora-nobody-listens;urp;StarOffice.ComponentContext"), Outcome::NoSpreadsheet);
    // The message says how to start a Calc that Kesmora reaches.
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QCOMPARE(f_.ui->messages[0].title, std::string("No spreadsheet open"));
    QVERIFY(f_.ui->messages[0].text.find("soffice --calc \"--accept=pipe,name=kesmora-nobody-listens;urp;") !=
            std::string::npos);
  }
};

QTEST_MAIN(ExportTest)
#include "export_test.moc"
