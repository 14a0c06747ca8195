#pragma once
// "Find favourable times": the conditions of an election, edited as a list and kept in .elc
// files; the search over the main window's span on a worker thread; the windows it finds in a
// sortable grid; and beside it the weeks of the span at a glance.
#include "core/app/election_run.h"
#include "core/reference/format.h"
#include "core/results/election_picture.h"
#include "core/results/election_results.h"
#include "gui/common/window_geometry.h"

#include <QMainWindow>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPainter;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class FileDialogs;
class PrinterSetup;
class WeeksPicture;

class FavourableWindow : public QMainWindow {
  Q_OBJECT
 public:
  struct Hooks {
    // The run's input from the main window's fields as they are now; nothing (the user told
    // why) when they cannot give one.
    std::function<std::optional<RunInput>()> runInput;
    // Sets Person 2 to a local date and time and recalculates, as the hits graph's right button.
    std::function<void(const CivilDate& date, int hour, int minute)> sendToTransit;
    // Opens the hits graph on a local date.
    std::function<void(const CivilDate& date)> openDay;
  };

  FavourableWindow(Session& session, UserInterface& ui, FileDialogs& files, PrinterSetup& printer, Hooks hooks,
                   QWidget* parent);
  ~FavourableWindow() override;

  void Form_Load();

  const Election& CurrentElection() const { return election_; }
  void SetElection(Election election);
  // The last completed search; null before one.
  const ElectionPicture* Picture() const { return picture_.get(); }
  // Shows a search's result as if it had just completed (also for tests).
  void ShowPicture(std::shared_ptr<const ElectionPicture> picture);
  bool Running() const { return thread_ != nullptr; }

  void cmdAddCondition_Click();
  void cmdEditCondition_Click();
  void cmdRemoveCondition_Click();
  void MoveCondition(int step);
  void mnuLoadElection_Click();
  void mnuSaveElection_Click();
  void cmdFind_Click();
  void cmdCancel_Click();
  void mnuSaveCsv_Click();
  void mnuSaveCalendar_Click();
  void mnuSavePicture_Click();
  void mnuPrintPicture_Click();
  // The window of a grid row (its rank) to Person 2: its first whole minute.
  void SendWindowToTransit(int rank);
  // Selects the grid row of a window.
  void SelectWindow(int rank);
  // What the picture names under the pointer: the minute and the conditions that hold there.
  QString MinuteText(int day, int minute) const;
  // A click on the picture: a window's row is selected; elsewhere the day's hits graph opens.
  void PictureClicked(int day, int minute);

 signals:
  // A search ended: completed (windows shown) or not (cancelled, failed or never started).
  void findFinished(bool completed);

 private:
  void BuildMenus();
  QGroupBox* BuildConditions();
  QHBoxLayout* BuildFindRow();
  void BuildWindowsGrid();
  QString ItemText(const ElectionItem& item) const;
  // The printed page: a head of texts above the picture.
  void PaintPage(QPainter& painter, const QRectF& page) const;
  void ShowConditions(int select = -1);
  void ShowSpan();
  void FillGrid();
  void Finish();
  void ShowError(const std::string& text);
  // Asks for a file to write and writes it whole; false when nothing was written.
  bool SaveText(const char* title, const QString& filter, const char* suffix, const std::string& text);
  // The moment a window row sends: its first whole minute on Person 2's clock.
  void ToTransit(double jd);
  // The rows of the windows in rank order, times on Person 2's clock.
  std::vector<WindowRow> Rows() const;

  Session& session_;
  UserInterface& ui_;
  FileDialogs& files_;
  PrinterSetup& printer_;
  Hooks hooks_;
  bool loading_ = true;
  std::unique_ptr<GeometryKeeper> keeper_;
  Election election_;
  std::shared_ptr<const ElectionPicture> picture_;
  QListWidget* lstConditions_ = nullptr;
  QLabel* lblSpan_ = nullptr;
  QPushButton *cmdFind_ = nullptr, *cmdCancel_ = nullptr;
  QProgressBar* prgFind_ = nullptr;
  QTableWidget* grdWindows_ = nullptr;
  WeeksPicture* picWeeks_ = nullptr;
  // The search on its worker; what it leaves is read once the thread has finished.
  QThread* thread_ = nullptr;
  std::atomic<bool> cancelRequested_{false};
  std::shared_ptr<const ElectionPicture> found_;
  std::string failure_;
};

}  // namespace kesmora::gui
