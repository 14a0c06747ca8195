#pragma once
// The print preview: the print file as editable text, printed as it stands when "Print" is
// pressed.
#include "core/reference/text.h"

#include <QDialog>
#include <QFont>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QPlainTextEdit;
class QPrinter;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class PrinterSetup;

// The font and line step that print `linesPerPage` lines and the widest of `lines` on a page
// of the given size (in the device's pixels): the given font, made smaller where it must be.
struct PrintLayout {
  QFont font;
  double lineStep;
};
PrintLayout FitPrintFont(QFont font, const QStringList& lines, int linesPerPage, const QSizeF& page,
                         QPaintDevice* device);

class PrintPreview : public QDialog {
  Q_OBJECT
 public:
  // Loads the print file into the text box. Every printed page ends with its number and, when
  // given, the title of what is printed.
  PrintPreview(const Session& session, UserInterface& ui, PrinterSetup& printer, QWidget* parent,
               QString title = {});

  void btnPrint_Click();

 private:
  void LoadPrintFile();
  WriteResult WriteTextBack();
  void PrintLines(QPrinter& printer, const std::vector<std::string>& lines);

  const Session& session_;
  UserInterface& ui_;
  PrinterSetup& printer_;
  QString title_;
  QPlainTextEdit* richtxtContent_ = nullptr;
};

}  // namespace kesmora::gui
