#include "gui/results/spreadsheet_export.h"

#include "core/app/user_interface.h"

#include <QFile>
#include <algorithm>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressDialog>
#include <QTableWidget>
#include <QTimer>

namespace kesmora::gui {

namespace {

// The bridge lives in the system Python; another Python on the PATH would not find it.
constexpr const char* kPython = "/usr/bin/python3";
// Exit codes of the helper script.
constexpr int kExitNoConnection = 3, kExitNoSpreadsheet = 4, kExitNoBridge = 5;

QString Script() {
  QFile f(":/kesmora/calc_export.py");
  f.open(QIODevice::ReadOnly);
  return QString::fromUtf8(f.readAll());
}

}  // namespace

QString CalcConnection() {
  QByteArray env = qgetenv("KESMORA_CALC_CONNECTION");
  return env.isEmpty() ? QString(DefaultCalcConnection) : QString::fromLocal8Bit(env);
}

std::vector<SheetRow> SheetRowsOf(const QTableWidget* grid, const std::vector<GridRow>& rows) {
  std::vector<SheetRow> out;
  if (!grid) {
    for (const GridRow& g : rows) {
      SheetRow r;
      for (size_t c = 0; c < r.size(); ++c) r[c].text = QString::fromStdString(g[c + 1]);
      out.push_back(r);
    }
    return out;
  }
  const QColor text = grid->palette().color(QPalette::Text);
  for (int row = 0; row < grid->rowCount(); ++row) {
    SheetRow r;
    for (int c = 1; c <= 13 && c < grid->columnCount(); ++c) {
      SheetCell& cell = r[static_cast<size_t>(c - 1)];
      const QTableWidgetItem* item = grid->item(row, c);
      if (!item) continue;
      cell.text = item->text();
      QBrush brush = item->foreground();
      cell.color = (brush.style() == Qt::NoBrush ? text : brush.color()).rgb();
      QVariant fontData = item->data(Qt::FontRole);
      QFont font = fontData.isValid() ? fontData.value<QFont>() : grid->font();
      cell.bold = font.bold();
      cell.italic = font.italic();
    }
    out.push_back(r);
  }
  return out;
}

SpreadsheetExport::SpreadsheetExport(std::vector<SheetRow> rows, QString connection, UserInterface& ui, QWidget* parent)
    : QObject(parent), rows_(std::move(rows)), connection_(std::move(connection)), ui_(ui), parent_(parent) {
  setObjectName("CalcExport");
}

SpreadsheetExport::~SpreadsheetExport() {
  if (process_ && process_->state() != QProcess::NotRunning) {
    process_->disconnect(this);
    process_->kill();
    process_->waitForFinished(1000);
  }
}

void SpreadsheetExport::Start() { QTimer::singleShot(0, this, &SpreadsheetExport::Launch); }

QByteArray SpreadsheetExport::Job() const {
  QJsonArray rows, styles;
  for (const SheetRow& r : rows_) {
    QJsonArray texts, looks;
    for (const SheetCell& c : r) {
      texts.append(c.text);
      looks.append(QJsonArray{static_cast<qint64>(c.color & 0xFFFFFF), c.bold, c.italic});
    }
    rows.append(texts);
    styles.append(looks);
  }
  return QJsonDocument(QJsonObject{{"connection", connection_}, {"rows", rows}, {"styles", styles}})
      .toJson(QJsonDocument::Compact);
}

void SpreadsheetExport::Launch() {
  progress_ = new QProgressDialog("Copying the grid into LibreOffice Calc...", "Cancel", 0,
                                  std::max<int>(static_cast<int>(rows_.size()), 1), parent_);
  progress_->setObjectName("CalcExportProgress");
  progress_->setWindowTitle("Copy grid data");
  progress_->setWindowModality(Qt::WindowModal);
  progress_->setMinimumDuration(400);
  progress_->setAutoClose(false);
  progress_->setAutoReset(false);
  progress_->setValue(0);
  connect(progress_, &QProgressDialog::canceled, this, &SpreadsheetExport::Cancel);

  process_ = new QProcess(this);
  connect(process_, &QProcess::readyReadStandardOutput, this, &SpreadsheetExport::ReadProgress);
  connect(process_, &QProcess::finished, this, &SpreadsheetExport::Ended);
  connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) Finish(Outcome::NoBridge);
  });
  process_->start(kPython, {"-c", Script()});
  process_->write(Job());
  process_->closeWriteChannel();
}

void SpreadsheetExport::Cancel() {
  if (done_) return;
  cancelled_ = true;
  if (process_) process_->kill();
}

void SpreadsheetExport::ReadProgress() {
  while (process_->canReadLine()) {
    QList<QByteArray> words = process_->readLine().trimmed().split(' ');
    if (words.size() != 2) continue;
    if (words[0] == "rows") attached_ = true;
    if (words[0] == "progress" && progress_) progress_->setValue(words[1].toInt());
  }
}

void SpreadsheetExport::Ended(int exitCode, QProcess::ExitStatus status) {
  ReadProgress();
  if (cancelled_) return Finish(Outcome::Cancelled);
  if (status != QProcess::NormalExit) return Finish(Outcome::Failed);
  switch (exitCode) {
    case 0: return Finish(attached_ ? Outcome::Copied : Outcome::Failed);  // never a silent success
    case kExitNoConnection:
    case kExitNoSpreadsheet: return Finish(Outcome::NoSpreadsheet);
    case kExitNoBridge: return Finish(Outcome::NoBridge);
    default: return Finish(Outcome::Failed);
  }
}

void SpreadsheetExport::Finish(Outcome outcome) {
  if (done_) return;
  done_ = true;
  if (progress_) {
    progress_->close();
    progress_->deleteLater();
    progress_ = nullptr;
  }
  switch (outcome) {
    case Outcome::NoSpreadsheet:
      ui_.ShowMessage({MessageIcon::Stop, "No spreadsheet open",
                       "Please open a spreadsheet in LibreOffice Calc before copying the grid.\n"
                       "Kesmora reaches a LibreOffice Calc started with: soffice --calc \"--accept=" +
                           connection_.toStdString() + "\""});
      break;
    case Outcome::NoBridge:
      ui_.ShowMessage({MessageIcon::Critical, "Error",
                       std::string("Kesmora reaches LibreOffice Calc through ") + kPython +
                           " and LibreOffice's Python bridge, which is missing: install the package python3-uno."});
      break;
    case Outcome::Failed: {
      QString why = process_ ? QString::fromUtf8(process_->readAllStandardError()).trimmed() : QString();
      ui_.ShowMessage({MessageIcon::Critical, "Error",
                       "The grid could not be copied into LibreOffice Calc" +
                           (why.isEmpty() ? std::string(".") : ": " + why.toStdString())});
      break;
    }
    case Outcome::Copied:
    case Outcome::Cancelled: break;
  }
  emit finished(outcome);
  deleteLater();
}

SpreadsheetExport* CopyGridToCalc(const QTableWidget* grid, const std::vector<GridRow>& rows,
                                  const QString& connection, UserInterface& ui, QWidget* parent) {
  auto* job = new SpreadsheetExport(SheetRowsOf(grid, rows), connection, ui, parent);
  job->Start();
  return job;
}

}  // namespace kesmora::gui
