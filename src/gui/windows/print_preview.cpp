#include "gui/windows/print_preview.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/output/output_buffer.h"
#include "core/output/print_pages.h"
#include "core/reference/text.h"
#include "gui/windows/printer_setup.h"
#include "gui/windows/report_font.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace kesmora::gui {

namespace {

constexpr double kPrintFontPoints = 12;

}  // namespace

PrintPreview::PrintPreview(const Session& session, UserInterface& ui, PrinterSetup& printer, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui), printer_(printer) {
  setObjectName("PrntFile");
  setWindowTitle("Data To Be Printed");
  setWindowModality(Qt::ApplicationModal);
  richtxtContent_ = new QPlainTextEdit;
  richtxtContent_->setObjectName("RichtxtContent");
  richtxtContent_->setLineWrapMode(QPlainTextEdit::NoWrap);
  richtxtContent_->setFont(ReportFont(10));
  auto* print = new QPushButton("Print");
  print->setObjectName("btnPrint");
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName("btnCancel");
  connect(print, &QPushButton::clicked, this, &PrintPreview::btnPrint_Click);
  connect(cancel, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new QLabel("Ctrl-C to copy.  Ctrl-X to cut.  Ctrl-V to paste."), 1);
  buttons->addWidget(print);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(richtxtContent_, 1);
  layout->addLayout(buttons);
  resize(720, 520);
  LoadPrintFile();
}

void PrintPreview::LoadPrintFile() {
  QString text;
  if (auto lines = ReadLines(PrintFilePath(session_.programDir)))
    for (const std::string& line : *lines) text += QString::fromStdString(line) + '\n';
  richtxtContent_->setPlainText(text);
}

WriteResult PrintPreview::WriteTextBack() {
  std::string text = richtxtContent_->toPlainText().toStdString();
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string(CRLF) : std::string(1, c);
  return WriteFileAtomically(PrintFilePath(session_.programDir), crlf);
}

void PrintPreview::btnPrint_Click() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName("Data To Be Printed");
  if (!printer_.Prepare(printer, this)) return;
  ui_.SetBusy(true);
  // What the user edited here is what gets printed.
  WriteResult written = WriteTextBack();
  auto lines = ReadLines(PrintFilePath(session_.programDir));
  if (written && lines) PrintLines(printer, *lines);
  ui_.SetBusy(false);
  if (!written || !lines) {
    if (written) written.error = "it cannot be read back";
    ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(PrintFilePath(session_.programDir), written)});
    return;
  }
  close();
}

void PrintPreview::PrintLines(QPrinter& printer, const std::vector<std::string>& lines) {
  int linesPerPage = static_cast<int>(std::lround(session_.optionValues[option::LinesPerPrintedPage]));
  auto pages = PrintPages(lines, linesPerPage);
  if (pages.empty()) return;
  QPainter painter(&printer);
  painter.setFont(ReportFont(kPrintFontPoints));
  const QFontMetrics metrics(painter.font(), &printer);
  const int pageHeight = printer.height();
  for (size_t p = 0; p < pages.size(); ++p) {
    if (p > 0) printer.newPage();
    int baseline = metrics.ascent();
    for (const std::string& line : pages[p]) {
      // A page longer than the paper runs on to the next sheet.
      if (baseline + metrics.descent() > pageHeight) {
        printer.newPage();
        baseline = metrics.ascent();
      }
      painter.drawText(0, baseline, QString::fromStdString(line));
      baseline += metrics.lineSpacing();
    }
  }
  painter.end();
}

}  // namespace kesmora::gui
