#pragma once
// Choosing and preparing the printer, behind an interface so that tests can print to a file.
#include <QRectF>

#include <filesystem>
#include <functional>

class QFont;
class QPainter;
class QPrintDialog;
class QPrinter;
class QWidget;

namespace kesmora {
class UserInterface;
}

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

// The widget's font sized in its pixels: a painter on a printer or PDF would make a point size
// as large as the device's resolution says, and then scale it with the drawing once more.
QFont PixelSizedFont(const QWidget* widget);

// Prints one page on `printer` (named and turned by the caller): asks `setup` for the printer,
// then, with the busy cursor on, has `paint` draw into the printable area (device pixels). A
// printer that cannot be started is told through `ui`; cancelling is not.
void PrintPage(PrinterSetup& setup, QPrinter& printer, QWidget* parent, UserInterface& ui,
               const std::function<void(QPainter&, const QRectF& page)>& paint);

}  // namespace kesmora::gui
