// The print preview: the print file shown for editing, printed as edited into a PDF.
#include "gui_fixture.h"

#include "core/output/output_buffer.h"
#include "core/reference/text.h"
#include "gui/windows/print_preview.h"

#include <QLabel>
#include <QPlainTextEdit>
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

  static std::string NumberedLines(int count) {
    std::string text;
    for (int k = 1; k <= count; ++k) text += "line " + std::to_string(k) + "\r\n";
    return text;
  }

  // Page objects of a PDF written by Qt: "/Type /Page" but not "/Type /Pages".
  static int PdfPageCount(const std::string& pdf) {
    int pages = 0;
    const std::string key = "/Type /Page";
    for (size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1))
      if (pdf.compare(at + key.size(), 1, "s") != 0) ++pages;
    return pages;
  }

  // A full report line: a number to find it by, and the right-hand column that used to be cut.
  static std::string ReportLine(int k) {
    std::string line = "L" + std::to_string(1000 + k) + "  Sun            000  Moon              12/05/2026 18:45:00";
    return line + "   222.1834   123.4567   222.18";
  }

  // The words pdftotext finds on each page, with their boxes, and the page sizes (points).
  struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;
  };
  struct Page {
    double width, height;
    std::vector<Word> words;
  };
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

  void showsThePrintFileForEditing() {
    auto preview = OpenPreview("first\r\n\f\r\nsecond\r\n\r\n");
    auto* content = GuiFixture::FindIn<QPlainTextEdit>(preview.get(), "RichtxtContent");
    QCOMPARE(content->toPlainText(), QString("first\n\f\nsecond\n\n"));
    QVERIFY(!content->isReadOnly());
    QCOMPARE(preview->windowTitle(), QString("Data To Be Printed"));
    QCOMPARE(GuiFixture::FindIn<QPushButton>(preview.get(), "btnPrint")->text(), QString("&Print"));
    QCOMPARE(GuiFixture::FindIn<QPushButton>(preview.get(), "btnCancel")->text(), QString("&Cancel"));
    bool hintShown = false;
    for (QLabel* label : preview->findChildren<QLabel*>())
      hintShown |= label->text() == "Ctrl-C to copy.  Ctrl-X to cut.  Ctrl-V to paste.";
    QVERIFY(hintShown);
  }

  void printsTheEditedTextInPages() {
    f_.session->optionValues[option::LinesPerPrintedPage] = 20;
    auto preview = OpenPreview(NumberedLines(49));
    auto* content = GuiFixture::FindIn<QPlainTextEdit>(preview.get(), "RichtxtContent");
    content->moveCursor(QTextCursor::End);
    content->insertPlainText("edited\n");
    QTest::mouseClick(GuiFixture::FindIn<QPushButton>(preview.get(), "btnPrint"), Qt::LeftButton);

    QCOMPARE(f_.printer->asked, 1);
    QCOMPARE(ReadWholeFile(PrintFile()), std::optional<std::string>(NumberedLines(49) + "edited\r\n"));
    auto pdf = ReadWholeFile(PdfFile());
    QVERIFY(pdf.has_value());
    QVERIFY(pdf->rfind("%PDF", 0) == 0);
    // 50 lines at 20 a page.
    QCOMPARE(PdfPageCount(*pdf), 3);
    QVERIFY(!preview->isVisible());
    QVERIFY(f_.ui->messages.empty());
  }

  void formFeedLineStartsANewPrintedPage() {
    f_.session->optionValues[option::LinesPerPrintedPage] = 60;
    auto preview = OpenPreview("a\r\nb\r\n\f\r\nc\r\n\f\r\nd\r\n");
    QTest::mouseClick(GuiFixture::FindIn<QPushButton>(preview.get(), "btnPrint"), Qt::LeftButton);
    auto pdf = ReadWholeFile(PdfFile());
    QVERIFY(pdf.has_value());
    QCOMPARE(PdfPageCount(*pdf), 3);
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
    for (int k = 1; k <= 130; ++k) text += ReportLine(k) + "\r\n";
    auto preview = OpenPreview(text);
    QTest::mouseClick(GuiFixture::FindIn<QPushButton>(preview.get(), "btnPrint"), Qt::LeftButton);

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
    }
  }

  void altPPrints() {
    auto preview = OpenPreview("one line\r\n");
    auto* content = GuiFixture::FindIn<QPlainTextEdit>(preview.get(), "RichtxtContent");
    preview->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(preview.get()));
    content->setFocus();
    QTest::keyClick(content, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(f_.printer->asked, 1);
    QCOMPARE(content->toPlainText(), QString("one line\n"));
  }

  void cancelClosesWithoutPrinting() {
    const std::string original = "keep\r\n";
    auto preview = OpenPreview(original);
    GuiFixture::FindIn<QPlainTextEdit>(preview.get(), "RichtxtContent")->setPlainText("changed\n");
    QTest::mouseClick(GuiFixture::FindIn<QPushButton>(preview.get(), "btnCancel"), Qt::LeftButton);
    QVERIFY(!preview->isVisible());
    QCOMPARE(f_.printer->asked, 0);
    QVERIFY(!fs::exists(PdfFile()));
    QCOMPARE(ReadWholeFile(PrintFile()), std::optional<std::string>(original));
  }
};

QTEST_MAIN(PrintPreviewTest)
#include "print_preview_test.moc"
