#include "gui/windows/print_preview.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/output/output_buffer.h"
#include "core/output/print_pages.h"
#include "core/reference/text.h"
#include "gui/common/printer_setup.h"
#include "gui/windows/report_font.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QFontMetricsF>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kesmora::gui {

namespace {

constexpr double kPrintFontPoints = 12;
constexpr int kFooterLines = 2;  // a blank line, then the page's number

}  // namespace

PrintPreview::PrintPreview(const Session& session, UserInterface& ui, PrinterSetup& printer, QWidget* parent,
                           QString title)
    : QDialog(parent), session_(session), ui_(ui), printer_(printer), title_(std::move(title)) {
  setObjectName("PrntFile");
  setWindowTitle("Data To Be Printed");
  setWindowModality(Qt::ApplicationModal);
  richtxtContent_ = new QPlainTextEdit;
  richtxtContent_->setObjectName("RichtxtContent");
  richtxtContent_->setLineWrapMode(QPlainTextEdit::NoWrap);
  richtxtContent_->setTabChangesFocus(true);  // Tab goes on to the buttons
  richtxtContent_->setFont(ReportFont(10));
  auto* print = new QPushButton("&Print");
  print->setObjectName("btnPrint");
  auto* cancel = new QPushButton("&Cancel");
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
  const int linesPerPage = static_cast<int>(std::lround(session_.optionValues[option::LinesPerPrintedPage]));
  const auto pages = PrintPages(lines, linesPerPage);
  if (pages.empty()) return;
  QPainter painter(&printer);
  // The printer's page rect, in the painter's device pixels.
  const QSizeF page(printer.width(), printer.height());
  int mostLines = 0;
  QStringList texts;
  for (const auto& lines : pages) {
    mostLines = std::max(mostLines, static_cast<int>(lines.size()));
    for (const std::string& line : lines) texts << QString::fromStdString(line);
  }
  // The foot of every page: the title on the left, "Page 2 of 3" on the right, a line below the
  // text, in the font of the text.
  const int pageCount = static_cast<int>(pages.size());
  auto footer = [&](int p) { return QString("Page %1 of %2").arg(p + 1).arg(pageCount); };
  texts << title_ + "   " + footer(pageCount - 1);
  const int rows = std::max(linesPerPage, mostLines) + kFooterLines;
  const PrintLayout layout = FitPrintFont(ReportFont(kPrintFontPoints), texts, rows, page, &printer);
  painter.setFont(layout.font);
  const QFontMetricsF metrics(layout.font, &printer);
  const double footerBaseline = metrics.ascent() + (rows - 1) * layout.lineStep;
  for (int p = 0; p < pageCount; ++p) {
    if (p > 0) printer.newPage();
    double baseline = metrics.ascent();
    for (const std::string& line : pages[static_cast<size_t>(p)]) {
      painter.drawText(QPointF(0, baseline), QString::fromStdString(line));
      baseline += layout.lineStep;
    }
    painter.drawText(QPointF(0, footerBaseline), title_);
    const QString number = footer(p);
    painter.drawText(QPointF(page.width() - metrics.horizontalAdvance(number), footerBaseline), number);
  }
  painter.end();
}

PrintLayout FitPrintFont(QFont font, const QStringList& lines, int linesPerPage, const QSizeF& page,
                         QPaintDevice* device) {
  // Shrink the font until the widest line and a full page of lines fit; the line step is then
  // the font's own spacing, or less where the page is only just too short for it.
  linesPerPage = std::max(linesPerPage, 1);
  auto fits = [&](const QFont& f, double& step) {
    const QFontMetricsF m(f, device);
    double widest = 0;
    for (const QString& line : lines) widest = std::max(widest, m.horizontalAdvance(line));
    step = std::min(m.lineSpacing(), (page.height() - m.ascent() - m.descent()) / std::max(linesPerPage - 1, 1));
    const bool tallEnough = step >= m.height() * 0.95 || linesPerPage == 1;
    return widest <= page.width() && tallEnough && m.ascent() + m.descent() <= page.height();
  };
  double step = 0;
  for (int tries = 0; tries < 200 && !fits(font, step); ++tries) {
    const double size = font.pointSizeF() * 0.97;
    if (size < 1) break;
    font.setPointSizeF(size);
  }
  return {font, step};
}

}  // namespace kesmora::gui
