#include "gui/windows/printer_setup.h"

#include <QPrintDialog>
#include <QPrinter>

namespace kesmora::gui {

bool QtPrinterSetup::Prepare(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle("Print");
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace kesmora::gui
