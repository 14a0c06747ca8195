// The aspectarian run from the main window: started on a worker, its results shown in the data
// window and the grid, and marked when the zodiac or houses change after it.
#include "gui/app/main_window.h"

#include "core/app/list_files.h"
#include "core/app/planetary_data.h"
#include "core/app/run.h"
#include "core/app/user_interface.h"
#include "core/search/run_options.h"
#include "gui/app/aspectarian_runner.h"
#include "gui/common/file_dialogs.h"
#include "gui/results/calendar_save.h"
#include "gui/results/grid_window.h"
#include "gui/search/list_file_dialog.h"
#include "gui/windows/data_window.h"

#include <QPushButton>

namespace kesmora::gui {

void MainWindow::cmdCalc_aspectarian_Click() {
  if (runner_->Running()) return;
  std::optional<RunInput> input = PrepareRunInput();
  if (!input) {
    emit runFinished(false);
    return;
  }
  startedRunChart_ = ChartOptionsOf(session_.settings);
  runner_->Start(std::move(*input));
}

std::optional<RunInput> MainWindow::PrepareRunInput() {
  StoreWidgetsInSession();
  // The run searches the charts of the fields as they are now: calculated first when they
  // have changed since (or were never calculated), and not at all when they cannot be.
  if (!ChartsOfFields(session_)) cmdCalculate_Click();
  if (!ChartsOfFields(session_)) return std::nullopt;
  const RunOptions options = RunOptionsOf(session_.settings, session_.person2);
  if (auto problem = TimePeriodProblem(options)) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", *problem});
    return std::nullopt;
  }
  AskForMissingListFiles(options);
  return RunInputOf(session_, options);
}

// A list whose file is not there is asked for; after a cancel it stays empty for this run.
void MainWindow::AskForMissingListFiles(const RunOptions& options) {
  for (ListKind kind : MissingListFiles(session_, options))
    Get_list_filename(this, *files_, session_, kind, ListDialogMode::Open);
}

void MainWindow::AspectarianEnded() {
  switch (runner_->LastOutcome()) {
    case AspectarianRunner::Outcome::Completed:
      ShowRunResult(runner_->TakeResult(), runner_->TakeShown());
      if (!session_.run.notices.empty())
        ui_.ShowMessage({MessageIcon::Information, "Information", JoinNotices(session_.run.notices)});
      emit runFinished(true);
      return;
    case AspectarianRunner::Outcome::Failed:
      ui_.ShowMessage({MessageIcon::Critical, "Error", runner_->FailureMessage()});
      break;
    case AspectarianRunner::Outcome::Cancelled:
      break;
  }
  emit runFinished(false);
}

void MainWindow::ShowRunResult(RunResult result, RunShown shown) {
  AdoptRunResult(session_, std::move(result), std::move(shown.report));
  if (session_.runReport.empty()) {
    // No pass ran: the new page is empty.
    if (dataWindow_) dataWindow_->ClearText();
  } else {
    OutputD1().ShowNewPage(PageFilePath(session_.programDir), DataWindow::Page::RunReport);
  }
  OpenGridWindow(shown);
  EnableResultButtons();
}

void MainWindow::OpenGridWindow(const RunShown& shown) {
  delete gridForm_;  // the old grid goes with its window
  gridForm_ = new GridWindow(session_, this);
  connect(gridForm_, &GridWindow::saveAsCalendarRequested, this,
          [this] { SaveRunAsCalendar(gridForm_, *files_, session_, ui_); });
  gridForm_->Form_Load(shown.grid, shown.keys);
  shownRunChart_ = startedRunChart_;
  UpdateStaleMarks();
}

// Every export and the hotspot finder work on the run's hits.
void MainWindow::EnableResultButtons() {
  for (QPushButton* b : {cmdCopyToCSVfile_, cmdFindHotspots_, cmdCopyToExcel_}) b->setEnabled(true);
}

void MainWindow::UpdateStaleMarks() {
  const ChartOptions now = ChartOptionsOf(session_.settings);
  const bool stale = shownRunChart_ && (shownRunChart_->zodiac != now.zodiac || shownRunChart_->houses != now.houses);
  const QString note = stale ? " (before the change of zodiac/houses)" : "";
  if (gridForm_) gridForm_->setWindowTitle("Data Grid" + note);
  if (dataWindow_) dataWindow_->MarkRunReportStale(stale);
}

DataWindow& MainWindow::OutputD1() {
  if (!dataWindow_) dataWindow_ = new DataWindow(session_, ui_, *files_, *printer_, this);
  return *dataWindow_;
}

}  // namespace kesmora::gui
