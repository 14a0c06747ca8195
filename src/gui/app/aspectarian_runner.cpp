#include "gui/app/aspectarian_runner.h"

#include "gui/common/window_geometry.h"

#include "core/results/results.h"
#include "core/search/hit_table.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace kesmora::gui {

namespace {

constexpr int kProgressSteps = 1000;

// Closing the dialog or pressing Escape asks to cancel; the dialog goes when the run has ended.
class RunProgressDialog : public QProgressDialog {
 public:
  using QProgressDialog::QProgressDialog;
  void reject() override { emit canceled(); }

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    emit canceled();
  }
};

}  // namespace

QString RunProgressText(int pass) {
  if (pass == run_stage::Sampling) return "Positions of the moving bodies";
  if (pass == run_stage::Periods) return "Start and end periods";
  if (pass == run_stage::Texts) return "Report and data grid";
  if (pass < 0 || pass >= kPassCount) return {};
  QString heading = QString(PassHeading(static_cast<Pass>(pass))).trimmed();
  const QString lead = "Aspects found - ";
  if (heading.startsWith(lead)) heading.remove(0, lead.size());
  if (heading.endsWith(':')) heading.chop(1);
  return QString("Pass %1: %2").arg(pass).arg(heading);
}

AspectarianRunner::AspectarianRunner(QWidget* window) : QObject(window) {
  dialog_ = new RunProgressDialog(window);
  dialog_->setObjectName("RunProgress");
  dialog_->setWindowTitle("Calculate aspectarian times");
  KeepTitleWhole(dialog_);
  dialog_->setWindowModality(Qt::ApplicationModal);
  // The bar is set directly: the dialog's own setValue would process events inside our slot.
  bar_ = new QProgressBar;
  dialog_->setBar(bar_);
  dialog_->setRange(0, kProgressSteps);
  dialog_->setAutoReset(false);
  dialog_->setAutoClose(false);
  dialog_->setCancelButtonText("&Cancel");
  dialog_->reset();  // stops the dialog from showing itself
  // Cancel only asks the run to stop; the dialog stays until the worker has ended.
  QObject::disconnect(dialog_, &QProgressDialog::canceled, dialog_, nullptr);
  connect(dialog_, &QProgressDialog::canceled, this, &AspectarianRunner::RequestCancel);
  connect(this, &AspectarianRunner::progressed, this, &AspectarianRunner::ShowProgress, Qt::QueuedConnection);
}

AspectarianRunner::~AspectarianRunner() {
  if (!thread_) return;
  cancelRequested_ = true;
  thread_->wait();
  delete thread_;
}

void AspectarianRunner::Start(RunInput input) {
  if (Running()) return;
  cancelRequested_ = false;
  result_ = RunResult();
  shown_ = RunShown();
  failure_.clear();
  int threads = input.options.threads > 0 ? input.options.threads
                                          : static_cast<int>(std::clamp(QThread::idealThreadCount(), 1, 8));
  if (!pool_ || pool_->ProgramDir() != input.programDir || pool_->Threads() != threads - 1)
    pool_ = std::make_unique<WorkerPool>(input.programDir, threads - 1);
  dialog_->setLabelText("Calculating aspectarian times");
  bar_->setValue(0);
  if (auto* cancel = dialog_->findChild<QPushButton*>()) cancel->setEnabled(true);
  dialog_->show();
  thread_ = QThread::create([this, input = std::move(input)] { Work(input); });
  connect(thread_, &QThread::finished, this, &AspectarianRunner::Finish, Qt::QueuedConnection);
  thread_->start();
}

void AspectarianRunner::Work(const RunInput& input) {
  // This thread's ephemeris, closed with its files as the run ends.
  const EphemerisThread ephemeris(input.programDir);
  RunControl control;
  control.progress = [this](int pass, double fraction) { emit progressed(pass, fraction); };
  control.cancelled = [this] { return cancelRequested_.load(); };
  try {
    result_ = RunAspectarian(input, control, pool_.get());
    shown_ = ShownRunOf(input, result_, control);
    outcome_ = Outcome::Completed;
  } catch (const RunCancelled&) {
    outcome_ = Outcome::Cancelled;
  } catch (const std::exception& e) {
    failure_ = e.what();
    outcome_ = Outcome::Failed;
  }
  if (outcome_ != Outcome::Completed) {
    result_ = RunResult();
    shown_ = RunShown();
  }
}

void AspectarianRunner::ShowProgress(int pass, double fraction) {
  if (!Running() || cancelRequested_) return;
  dialog_->setLabelText(RunProgressText(pass));
  bar_->setValue(static_cast<int>(std::lround(fraction * kProgressSteps)));
}

void AspectarianRunner::RequestCancel() {
  cancelRequested_ = true;
  dialog_->setLabelText("Cancelling...");
  if (auto* cancel = dialog_->findChild<QPushButton*>()) cancel->setEnabled(false);
}

void AspectarianRunner::Finish() {
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  // Cancel pressed after the last check: the run is not shown either.
  if (cancelRequested_ && outcome_ == Outcome::Completed) {
    outcome_ = Outcome::Cancelled;
    result_ = RunResult();
    shown_ = RunShown();
  }
  dialog_->hide();
  emit ended();
}

}  // namespace kesmora::gui
