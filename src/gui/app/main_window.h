#pragma once
// The main window: both persons' birth data, the names list, the planet grid and every choice
// of a run. It turns its widgets into the session's plain data and calls the core.
#include "core/app/run.h"
#include "core/app/session.h"
#include "core/persons/atlas.h"
#include "core/persons/birth_data.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;
class QAction;

namespace kesmora {
class UserInterface;
}

namespace kesmora::gui {

class AspectarianRunner;
class DataWindow;
class FavourableWindow;
class FileDialogs;
class GridWindow;
class HelpWindow;
class HitsGraph;
class OptionsWindow;
class TipWindow;
class PersonBlock;
class PrinterSetup;
class ScreenFitter;
class TargetListWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // The present instant; "Now" shows it on the clock of the home place.
  using Clock = std::function<UtcInstant()>;
  MainWindow(Session& session, UserInterface& ui, Clock clock = CurrentInstant, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The file and print dialogs the windows use instead of the platform's; set before Start.
  void SetFileDialogs(FileDialogs& dialogs) { files_ = &dialogs; }
  void SetPrinterSetup(PrinterSetup& setup) { printer_ = &setup; }
  // The atlas, instead of reading it when it is first needed; set before Start.
  void SetAtlas(std::shared_ptr<const Atlas> atlas) { atlas_ = std::move(atlas); }

  // The size the window needs to show everything without scroll bars.
  QSize FittingSize() const;

  // Start-up after the session is loaded: settings into the widgets, window shown, both persons
  // "Now", names list, last persons, and the first calculation.
  void Start();

  // Event handlers under the names the rest of the program knows them by.
  void cmdCalculate_Click();
  void cmdNow_Click();
  void cmdDiurnalNow_Click();
  void NamesOnFile_Click();
  void NamesOnFile_DblClick();
  void mnuUpdate_back_1_month_Click();
  void mnuUpdate_forward_1_month_Click();
  void mnuFileLoad_apt_file_Click();
  void mnuFileLoad_t2n_file_Click();
  // Closes the list's editor window if it is open and opens it anew from the current planets.
  void OpenListEditor(ListKind kind);
  // Starts the run on a worker thread and returns; `runFinished` tells how it ended.
  void cmdCalc_aspectarian_Click();
  void cmdCopyToCSVfile_Click();
  // Copies the grid's cells into the active sheet of a running LibreOffice Calc.
  void cmdCopyToExcel_Click();
  void mnuFileLoad_Click();
  void mnuFileSave_Click();
  void mnuOptionOptionSettings_Click();
  void mnuHelpTipoftheDay_Click();
  void mnuHelpAbout_Click();
  // Counts the last run's hits per minute of the transit date and opens the hits graph.
  void cmdFindHotspots_Click();
  // Opens the hits graph anew on a local date, from the last run's hits.
  void OpenHitsGraph(const CivilDate& date);
  // Opens the "Find favourable times" window, or brings it to the front.
  void cmdFindFavourable_Click();
  // Puts a date and a time (hour 0..23) into the Person 2 fields and calculates the charts.
  void SetTransitMoment(const CivilDate& date, int hour, int minute);
  // The CSV file dialog, 0 open and 1 save; the chosen path is kept in the settings.
  std::optional<std::string> Get_CSV_file_filename(int loadSave);
  // Shows a help text file of the program directory in the help window, under the caption of
  // its menu entry; the data window and its data stay as they are.
  void ShowHelpText(const std::string& name, const QString& caption = {});
  // The data window, created on first use.
  DataWindow& OutputD1();
  // Reads the current names file into the list.
  void Load_names_list();
  // The names file chosen in the file picker ("*.FIL"); empty when the user cancels.
  std::string Get_FIL_file_filename(const QString& pattern);
  void cmdSave_Click();
  void cmdDiurnalSave_Click();
  void cmdChangeList_Click();
  // Opens the current names file in the editor window, beside the main window.
  void cmdEditList_Click();
  void mnuFileNewFil_Click();
  // Opens the atlas window for the block and copies the place looked up into it.
  void cmdACS_Atlas_Click();
  void cmdDiurnalACS_Atlas_Click();
  void SetupPlanetDataGrid();

  // Widgets into the session and back.
  void StoreWidgetsInSession();
  void ShowSessionInWidgets();
  void UpdateTitle();

 signals:
  // A run ended: completed (results shown) or not (cancelled, failed or never started).
  void runFinished(bool completed);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The groups laid out in three columns, inside a scroll area.
  QWidget* BuildContent();
  QWidget* BuildNamesGroup();
  QWidget* BuildPlanetDataGroup();
  QWidget* BuildCheckBoxGroup(const QString& title, const QString& prefix, int count,
                              std::vector<QCheckBox*>& boxes, int columns);
  QWidget* BuildZodiacGroup();
  QWidget* BuildHouseGroup();
  QWidget* BuildPeriodsGroup();
  QWidget* BuildOrbsGroup();
  QWidget* BuildBottomButtons();
  void ConnectPersonBlocks();
  void ExplainDisabledButtons();
  void BuildMenus();
  void BuildHelpMenu();
  void SetTabOrder();
  void AspectarianEnded();
  void ShowRunResult(RunResult result, RunShown shown);
  void OpenGridWindow(const RunShown& shown);
  void AskForMissingListFiles(const RunOptions& options);
  // A run's input from the fields as they are now, the charts calculated first where they have
  // changed; nothing (the user told why) when the fields cannot give one.
  std::optional<RunInput> PrepareRunInput();
  void CaptionCheckBoxes();
  void SizePlanetGridColumns();
  void EnableResultButtons();
  // Titles the grid and the report as older than the zodiac and houses now chosen, or not.
  void UpdateStaleMarks();
  // Marks the planet grid out of date while the fields differ from its charts.
  void UpdatePlanetDataMark();
  // The atlas, read when first needed, and the clock of the home place now.
  const Atlas& AtlasData();
  ZoneClock HomeNow();
  // Asks each open list editor about its unsaved edits; false when the user cancels.
  bool ListEditsSettled();

  PersonBlock& Block(Person person) { return person == Person::One ? *p1_ : *p2_; }
  PersonFields& Fields(Person person) { return person == Person::One ? session_.person1 : session_.person2; }
  // The ticks of the planet and aspect boxes: from the session's settings and into them.
  void ShowSelectionInBoxes();
  void StoreSelectionOfBoxes();
  // The texts of the run's number fields in the settings, each with its field.
  std::array<std::pair<std::string*, QLineEdit*>, 6> RunFieldTexts();
  void FieldsFromBlock(Person person);
  void BlockFromFields(Person person);
  void LoadPersonFromList(int row);
  void ShowNamesList();
  void SavePersonBlock(Person person);
  void LookUpPlace(Person person);
  void StepMonth(int step);
  void ApplyWindowGeometry();

  Session& session_;
  UserInterface& ui_;
  Clock clock_;
  bool loading_ = true;
  bool fillingFields_ = false;

  PersonBlock *p1_ = nullptr, *p2_ = nullptr;
  QRadioButton *optPerson1_ = nullptr, *optPerson2_ = nullptr;
  QListWidget* namesOnFile_ = nullptr;
  QLabel* lblNamesOnFile_ = nullptr;
  QTableWidget* grdOutput_ = nullptr;
  QGroupBox* planetData_ = nullptr;
  QPushButton* cmdCalculate_ = nullptr;
  QPushButton* cmdCalcAspectarian_ = nullptr;
  // The planet boxes by the frames they stand in: "Transit Planets" (object names chkP1Planets_k)
  // and "Natal (or Transit) Planets" (chkP2Planets_k), the points the transits aspect.
  std::vector<QCheckBox*> transitPlanetBoxes_, natalPlanetBoxes_;
  std::vector<QCheckBox*> aspectBoxes_;
  std::array<QRadioButton*, 2> optZodiac_{};
  std::array<QRadioButton*, 4> optHouseSystem_{};
  std::array<QCheckBox*, 2> chkNatalTransit_{};
  QCheckBox* chkEnableTimePeriod_ = nullptr;
  QLineEdit *txtDaysToCalculate_ = nullptr, *txtStartTime_ = nullptr, *txtEndTime_ = nullptr;
  QLineEdit *txtDaysForwardBack_ = nullptr, *txtMinutesBeforeExact_ = nullptr, *txtMinutesAfterExact_ = nullptr;
  QCheckBox *chkTmpToNp_ = nullptr, *chkTmpToTp_ = nullptr, *chkTpToNmp_ = nullptr, *chkTmpToNmp_ = nullptr;
  QCheckBox *chkLunarMansions_ = nullptr, *chkAuspicious_ = nullptr, *chkTDegToNDeg_ = nullptr;
  QPushButton* cmdFindFavourable_ = nullptr;
  QPushButton *cmdFindHotspots_ = nullptr, *cmdCopyToCSVfile_ = nullptr, *cmdCopyToExcel_ = nullptr;
  QTimer* timer1_ = nullptr;
  QWidget* content_ = nullptr;  // everything inside the scroll area
  // The zodiac and houses of the run being computed, and of the run the grid shows.
  std::optional<ChartOptions> startedRunChart_, shownRunChart_;

  std::shared_ptr<const Atlas> atlas_;  // read when first needed
  std::unique_ptr<ScreenFitter> fitter_;
  std::unique_ptr<FileDialogs> ownFiles_;
  std::unique_ptr<PrinterSetup> ownPrinter_;
  FileDialogs* files_ = nullptr;
  PrinterSetup* printer_ = nullptr;
  AspectarianRunner* runner_ = nullptr;
  QPointer<DataWindow> dataWindow_;
  QPointer<GridWindow> gridForm_;
  QPointer<HitsGraph> hitsGraph_;
  QPointer<FavourableWindow> favourable_;
  QPointer<OptionsWindow> options_;
  QPointer<TipWindow> tip_;
  QPointer<HelpWindow> help_;
  std::array<QPointer<TargetListWindow>, ListKinds + 1> listEditors_;  // by ListKind
};

}  // namespace kesmora::gui
