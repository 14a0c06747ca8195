// The main window's buttons for a run's results: the CSV file, the copy into LibreOffice Calc
// and the hotspots with their graph.
#include "gui/app/main_window.h"

#include "core/app/run.h"
#include "core/app/user_interface.h"
#include "core/reference/text.h"
#include "core/results/hotspots.h"
#include "core/results/results.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/text.h"
#include "gui/results/favourable_window.h"
#include "gui/results/grid_window.h"
#include "gui/results/hits_graph.h"
#include "gui/results/spreadsheet_export.h"

#include <QTableWidget>

namespace kesmora::gui {

std::optional<std::string> MainWindow::Get_CSV_file_filename(int loadSave) {
  Settings& s = session_.settings;
  const bool saving = loadSave == 1;
  // The first time, the file is named after Person 1, as the calendar is.
  const std::string proposed = s.csvFilename.empty() ? FileNameOf(session_.person1.name, ".csv") : s.csvFilename;
  FileRequest request{saving ? "Save data output file" : "Load data output file",
                      ToQString(s.csvPath.empty() ? session_.programDir.string() : s.csvPath), ToQString(proposed),
                      "Data output files (*.csv)", "csv"};
  auto chosen = saving ? files_->SaveFileName(this, request) : files_->OpenFileName(this, request);
  if (!chosen) return std::nullopt;
  s.csvFilename = ToStdString(*chosen);
  s.csvPath = std::filesystem::path(s.csvFilename).parent_path().string();
  return s.csvFilename;
}

void MainWindow::cmdCopyToCSVfile_Click() {
  auto file = Get_CSV_file_filename(1);
  if (!file) return;
  ui_.SetBusy(true);
  // What the grid shows, in the order it is sorted in; without a grid, the run's hits.
  WriteResult written = WriteFileAtomically(*file, [&](const TextSink& out) {
    if (gridForm_)
      out(CsvText(gridForm_->RowsAsShown()));
    else
      WriteCsv(out, session_.run.hits.RunHits(), RunTexts(session_));
  });
  ui_.SetBusy(false);
  if (!written) ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(*file, written)});
}

void MainWindow::cmdCopyToExcel_Click() {
  CopyGridToCalc(gridForm_ ? gridForm_->findChild<QTableWidget*>("grdOutput") : nullptr, RunGridRows(session_),
                 CalcConnection(), ui_, this);
}

void MainWindow::cmdFindHotspots_Click() {
  if (session_.run.hits.HitCount() == 0) return;
  if (hitsGraph_) {
    // An open graph keeps the day it shows until it is opened again.
    hitsGraph_->raise();
    hitsGraph_->activateWindow();
    return;
  }
  // The day of the run, whatever the fields hold now.
  OpenHitsGraph(ParseDateText(session_.runDateText, session_.formats.dateOrder).value_or(session_.runDate));
}

void MainWindow::OpenHitsGraph(const CivilDate& date) {
  if (session_.run.hits.HitCount() == 0) {
    ui_.ShowMessage({MessageIcon::Information, "Information",
                     "The hits graph counts the hits of the last run: calculate the aspectarian times first."});
    return;
  }
  delete hitsGraph_;  // a graph open on another day goes
  // The persons of the run, on the day asked for.
  HotspotDay day;
  day.title = session_.runTitle;
  day.date = date;
  // Written as the graph writes the days it steps to: two-digit day and month.
  day.dateText = DateText(day.date, session_.formats.dateOrder);
  day.hits = HotspotHitsOf(session_.run);
  day.counts = CountHotspots(day.hits, day.date).counts;
  hitsGraph_ = new HitsGraph(session_, ui_, *files_, *printer_,
                             [this](const CivilDate& to, int hour, int minute) { SetTransitMoment(to, hour, minute); },
                             this);
  hitsGraph_->setAttribute(Qt::WA_DeleteOnClose);
  hitsGraph_->Form_Load(std::move(day));
}

void MainWindow::cmdFindFavourable_Click() {
  if (favourable_) {
    favourable_->raise();
    favourable_->activateWindow();
    return;
  }
  FavourableWindow::Hooks hooks;
  hooks.runInput = [this] { return PrepareRunInput(); };
  // As the hits graph's right button does.
  hooks.sendToTransit = [this](const CivilDate& date, int hour, int minute) { SetTransitMoment(date, hour, minute); };
  hooks.openDay = [this](const CivilDate& date) { OpenHitsGraph(date); };
  favourable_ = new FavourableWindow(session_, ui_, *files_, *printer_, std::move(hooks), this);
  favourable_->setAttribute(Qt::WA_DeleteOnClose);
  favourable_->Form_Load();
}

}  // namespace kesmora::gui
