#pragma once
// Runs the aspectarian on a worker thread while a modal progress dialog shows the stage and
// offers Cancel; the worker also makes the run's report and grid texts, so that Cancel is
// heard at every stage. The window thread never waits for the run.
#include "core/app/run.h"
#include "core/search/aspectarian.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <string>

class QProgressBar;
class QProgressDialog;
class QThread;
class QWidget;

namespace kesmora::gui {

class AspectarianRunner : public QObject {
  Q_OBJECT
 public:
  enum class Outcome { Completed, Cancelled, Failed };

  // The progress dialog is a child of `window`, modal to the whole program.
  explicit AspectarianRunner(QWidget* window);
  // A run still going is cancelled and waited for.
  ~AspectarianRunner() override;

  bool Running() const { return thread_ != nullptr; }
  void Start(RunInput input);

  // After `ended`: how the run ended, its result and texts when it completed, its message when
  // it failed. A run asked to cancel ends as cancelled, also when its work was done by then.
  Outcome LastOutcome() const { return outcome_; }
  RunResult TakeResult() { return std::move(result_); }
  RunShown TakeShown() { return std::move(shown_); }
  const std::string& FailureMessage() const { return failure_; }

 signals:
  void ended();
  // Raised on the worker thread; reaches the dialog through a queued connection.
  void progressed(int pass, double fraction);

 private:
  void Work(const RunInput& input);
  void ShowProgress(int pass, double fraction);
  void RequestCancel();
  void Finish();

  QProgressDialog* dialog_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QThread* thread_ = nullptr;
  // Worker threads kept from run to run, each with its ephemeris opened once.
  std::unique_ptr<WorkerPool> pool_;
  std::atomic<bool> cancelRequested_{false};
  // Written by the worker, read after its thread has finished.
  Outcome outcome_ = Outcome::Cancelled;
  RunResult result_;
  RunShown shown_;
  std::string failure_;
};

// The progress dialog's text for a stage of the run: a pass (0 to 6) or a run_stage.
QString RunProgressText(int pass);

}  // namespace kesmora::gui
