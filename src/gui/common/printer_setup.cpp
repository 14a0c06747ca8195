#include "gui/common/printer_setup.h"

#include "core/app/user_interface.h"
#include "core/reference/format.h"

#include <QFileInfo>
#include <QFontInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

namespace kesmora::gui {

void QtPrinterSetup::ProposePdfFile(QPrintDialog& dialog, const QPrinter& printer) const {
  if (!printer.outputFileName().isEmpty()) return;
  // Qt's dialog proposes the home folder in its file field; where the field is not found (another
  // dialog), its own proposal stays.
  auto* field = dialog.findChild<QLineEdit*>("filename");
  if (!field) return;
  const std::string name = FileNameOf(QFileInfo(printer.docName()).completeBaseName().toStdString(), ".pdf");
  field->setText(QString::fromStdString((pdfFolder_ / name).string()));
}

bool QtPrinterSetup::Prepare(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle("Print");
  ProposePdfFile(dialog, printer);
  return dialog.exec() == QDialog::Accepted;
}

QFont PixelSizedFont(const QWidget* widget) {
  QFont font = widget->font();
  font.setPixelSize(QFontInfo(widget->font()).pixelSize());
  return font;
}

void PrintPage(PrinterSetup& setup, QPrinter& printer, QWidget* parent, UserInterface& ui,
               const std::function<void(QPainter&, const QRectF& page)>& paint) {
  if (!setup.Prepare(printer, parent)) return;
  ui.SetBusy(true);
  QPainter painter;
  if (!painter.begin(&printer)) {
    ui.SetBusy(false);
    ui.ShowMessage({MessageIcon::Critical, "Error", "The printer could not be started."});
    return;
  }
  paint(painter, QRectF(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size()));
  painter.end();
  ui.SetBusy(false);
}

}  // namespace kesmora::gui
