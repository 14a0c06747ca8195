#pragma once
// "Copy grid data to Excel": the grid's cells, as the user sees them, into the active sheet of
// a LibreOffice Calc that is already running and listening for Kesmora. Calc is reached through
// LibreOffice's Python bridge (python3-uno) in a helper process, so the window stays responsive,
// a long copy can be cancelled and a fault of the bridge cannot take the program down.
#include "core/results/results.h"

#include <QObject>
#include <QProcess>
#include <QRgb>
#include <QString>

#include <array>
#include <vector>

class QProgressDialog;
class QTableWidget;
class QWidget;

namespace kesmora {
class UserInterface;
}

namespace kesmora::gui {

// How Calc is reached: a UNO accept string, also what Calc is started with. The environment
// variable KESMORA_CALC_CONNECTION names another.
inline constexpr const char* DefaultCalcConnection = "pipe,name=kesmora;urp;StarOffice.ComponentContext";
QString CalcConnection();

struct SheetCell {
  QString text;
  QRgb color = qRgb(0, 0, 0);
  bool bold = false, italic = false;
};
using SheetRow = std::array<SheetCell, 13>;  // grid columns "Type" to "End Period"

// Grid rows 1.. and columns 1..13 of the grid window's table with their colours and fonts; without
// a table, the rows in black upright type.
std::vector<SheetRow> SheetRowsOf(const QTableWidget* grid, const std::vector<GridRow>& rows);

class SpreadsheetExport : public QObject {
  Q_OBJECT
 public:
  enum class Outcome { Copied, NoSpreadsheet, NoBridge, Cancelled, Failed };
  Q_ENUM(Outcome)

  SpreadsheetExport(std::vector<SheetRow> rows, QString connection, UserInterface& ui, QWidget* parent);
  ~SpreadsheetExport() override;
  // Starts the copy once control returns to the event loop; `finished` tells how it ended,
  // after any message, and the object then deletes itself.
  void Start();
  void Cancel();

 signals:
  void finished(kesmora::gui::SpreadsheetExport::Outcome outcome);

 private:
  void Launch();
  void ReadProgress();
  void Ended(int exitCode, QProcess::ExitStatus status);
  void Finish(Outcome outcome);
  QByteArray Job() const;

  std::vector<SheetRow> rows_;
  QString connection_;
  UserInterface& ui_;
  QWidget* parent_;
  QProcess* process_ = nullptr;
  QProgressDialog* progress_ = nullptr;
  bool cancelled_ = false, done_ = false;
  bool attached_ = false;  // the helper reached a sheet
};

// Reads the grid and starts the copy; the export object is a child of `parent`.
SpreadsheetExport* CopyGridToCalc(const QTableWidget* grid, const std::vector<GridRow>& rows,
                                  const QString& connection, UserInterface& ui, QWidget* parent);

}  // namespace kesmora::gui
