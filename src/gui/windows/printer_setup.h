#pragma once
// Choosing and preparing the printer, behind an interface so that tests can print to a file.
class QPrinter;
class QWidget;

namespace kesmora::gui {

class PrinterSetup {
 public:
  virtual ~PrinterSetup() = default;
  // Prepares the printer for one document; false when the user cancelled.
  virtual bool Prepare(QPrinter& printer, QWidget* parent) = 0;
};

// The platform's print dialog; "Print to PDF" works without any printer installed.
class QtPrinterSetup : public PrinterSetup {
 public:
  bool Prepare(QPrinter& printer, QWidget* parent) override;
};

}  // namespace kesmora::gui
