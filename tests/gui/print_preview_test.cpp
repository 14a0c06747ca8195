// The print preview: the print file printed as edited into a PDF, every page and line whole on
// A4 and US Letter, each page numbered at its foot.
#include "gui_fixture.h"

#include "core/output/output_buffer.h"
#include "core/reference/text.h"
#include "gui/windows/print_preview.h"
#include "gui/common/printer_setup.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class PrintPreviewTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  fs::path PrintFile() const { return PrintFilePath(f_.session->programDir); }
  fs::path PdfFile() const { return f_.Home() / "printed.pdf"; }

  std::unique_ptr<gui::PrintPreview> OpenPreview(const std::string& printFileText) {
    if (!WriteFileAtomically(PrintFile(), printFileText)) qFatal("cannot write the print file");
    f_.printer->pdfFile = QString::fromStdString(PdfFile().string());
    auto preview = std::make_unique<gui::PrintPreview>(*f_.session, *f_.ui, *f_.printer, nullptr);
    preview->show();
    return preview;
  }

  // A full report line: a number to find it by, and the right-hand column that used to be cut.
  static std::string ReportLine(int k) {
    std::string line = "L" + std::to_string(1000 + k) + "  Sun            000  Moon              12/05/2026 18:45:00";
    return line + "   222.1834   123.4567   222.18";
  }

  // The words pdftotext finds on each page, with their boxes, and the page sizes (points).
  struct Word { QString text; double xMin, yMin, xMax, yMax; };
  struct Page { double width, height; std::vector<Word> words; };
  std::vector<Page> PdfPages() const {
    QProcess tool;
    const QString html = QString::fromStdString((f_.Home() / "printed.html").string());
    tool.start("pdftotext", {"-bbox", QString::fromStdString(PdfFile().string()), html});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
      qFatal("pdftotext (package poppler-utils) could not read the PDF");
    const QString text = QString::fromStdString(ReadWholeFile(html.toStdString()).value_or(""));
    std::vector<Page> pages;
    static const QRegularExpression tag(
        R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto m = tag.globalMatch(text); m.hasNext();) {
      const auto match = m.next();
      if (!match.captured(1).isEmpty())
        pages.push_back({match.captured(1).toDouble(), match.captured(2).toDouble(), {}});
      else if (!pages.empty())
        pages.back().words.push_back({match.captured(7), match.captured(3).toDouble(), match.captured(4).toDouble(),
                                      match.captured(5).toDouble(), match.captured(6).toDouble()});
    }
    return pages;
  }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  // "Print to File (PDF)" once proposed a file in the home folder.
  void pdfIsProposedInTheReportsFolder() {
    QPrinter printer;
    printer.setDocName("Example report");
    QPrintDialog dialog(&printer);
    gui::QtPrinterSetup(f_.Home() / "reports").ProposePdfFile(dialog, printer);
    dialog.show();
    auto* printers = dialog.findChild<QComboBox*>("printers");
    QVERIFY(printers);
    printers->setCurrentIndex(printers->count() - 1);  // Print to File (PDF)
    dialog.accept();
    QCOMPARE(printer.outputFileName(), QString::fromStdString((f_.Home() / "reports" / "Example report.pdf").string()));
  }

  void printsWholePagesOf_data() {
    QTest::addColumn<int>("paper");
    QTest::newRow("A4") << int(QPageSize::A4);
    QTest::newRow("US Letter") << int(QPageSize::Letter);
  }

  void printsWholePagesOf() {
    QFETCH(int, paper);
    f_.session->optionValues[option::LinesPerPrintedPage] = 60;
    f_.printer->pageSize = static_cast<QPageSize::PageSizeId>(paper);
    std::string text;
    for (int k = 1; k < 130; ++k) text += ReportLine(k) + "\r\n";
    auto preview = OpenPreview(text);
    auto* content = GuiFixture::FindIn<QPlainTextEdit>(preview.get(), "RichtxtContent");
    content->moveCursor(QTextCursor::End);
    content->insertPlainText(QString::fromStdString(ReportLine(130)) + "\n");  // the text is printed as edited
    QTest::mouseClick(GuiFixture::FindIn<QPushButton>(preview.get(), "btnPrint"), Qt::LeftButton);
    QCOMPARE(f_.printer->asked, 1);
    QCOMPARE(ReadWholeFile(PrintFile()), std::optional<std::string>(text + ReportLine(130) + "\r\n"));
    QVERIFY(!preview->isVisible());

    const std::vector<Page> pages = PdfPages();
    QCOMPARE(pages.size(), size_t{3});
    const int lines[] = {60, 60, 10};
    int next = 1;
    for (size_t p = 0; p < pages.size(); ++p) {
      int numbers = 0, lastColumns = 0;
      for (const Word& w : pages[p].words) {
        // Every word on the paper, none past its edges.
        QVERIFY2(w.xMin >= 0 && w.yMin >= 0 && w.xMax <= pages[p].width && w.yMax <= pages[p].height,
                 qPrintable(w.text));
        if (w.text.startsWith('L')) {
          QCOMPARE(w.text, QString("L%1").arg(1000 + next++));
          ++numbers;
        }
        if (w.text == "222.18") ++lastColumns;
      }
      QCOMPARE(numbers, lines[p]);
      QCOMPARE(lastColumns, lines[p]);  // each line whole to its last column
      // Its number at its foot, below the last line.
      const auto& words = pages[p].words;
      const auto foot = std::find_if(words.begin(), words.end(), [](const Word& w) { return w.text == "Page"; });
      QVERIFY(words.end() - foot >= 4);
      QCOMPARE(QStringList({foot[0].text, foot[1].text, foot[2].text, foot[3].text}).join(' '),
               QString("Page %1 of 3").arg(p + 1));
      for (const Word& w : words)
        if (w.text.startsWith('L')) QVERIFY(w.yMax < foot->yMin);
    }
  }
};

QTEST_MAIN(PrintPreviewTest)
#include "print_preview_test.moc"
