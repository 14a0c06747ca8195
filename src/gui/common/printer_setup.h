#pragma once
// Choosing and preparing the printer, behind an interface so that tests can print to a file.
#include <filesystem>

class QPrintDialog;
class QPrinter;
class QWidget;

namespace kesmora::gui {

class PrinterSetup {
 public:
  virtual ~PrinterSetup() = default;
  // Prepares the printer for one document; false when the user cancelled.
  virtual bool Prepare(QPrinter& printer, QWidget* parent) = 0;
};

// The platform's print dialog; "Print to PDF" works without any printer installed, and offers
// a file in `pdfFolder` (the program's reports folder) named after the document.
class QtPrinterSetup : public PrinterSetup {
 public:
  explicit QtPrinterSetup(std::filesystem::path pdfFolder) : pdfFolder_(std::move(pdfFolder)) {}
  bool Prepare(QPrinter& printer, QWidget* parent) override;
  // Puts the proposed PDF file into the dialog, unless the printer names one already.
  void ProposePdfFile(QPrintDialog& dialog, const QPrinter& printer) const;

 private:
  std::filesystem::path pdfFolder_;
};

}  // namespace kesmora::gui
