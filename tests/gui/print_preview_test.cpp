// The print preview: the print file shown for editing, printed as edited into a PDF.
#include "gui_fixture.h"

#include "core/output/output_buffer.h"
#include "core/reference/text.h"
#include "gui/windows/print_preview.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

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

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void showsThePrintFileForEditing() {
    auto preview = OpenPreview("first\r\n\f\r\nsecond\r\n\r\n");
    auto* content = GuiFixture::FindIn<QPlainTextEdit>(preview.get(), "RichtxtContent");
    QCOMPARE(content->toPlainText(), QString("first\n\f\nsecond\n\n"));
    QVERIFY(!content->isReadOnly());
    QCOMPARE(preview->windowTitle(), QString("Data To Be Printed"));
    QCOMPARE(GuiFixture::FindIn<QPushButton>(preview.get(), "btnPrint")->text(), QString("Print"));
    QCOMPARE(GuiFixture::FindIn<QPushButton>(preview.get(), "btnCancel")->text(), QString("Cancel"));
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
