#pragma once
// The hits graph: the hits in force at each minute of a day as bars or a line, zoomed,
// annotated with help lines and typed notes, printed, saved as a picture, and sending a
// chosen minute back to the transit fields.
#include "core/results/hits_file.h"
#include "core/results/hits_graph_scale.h"
#include "core/results/hotspots.h"
#include "gui/common/window_geometry.h"

#include <QColor>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QPainter;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class FileDialogs;
class PrinterSetup;

// Everything the graph draws, in drawing units (x 0..612, y -30..480). A repaint renders it
// again; a redraw of the chart or a resize drops the help lines and notes.
struct HitsGraphState {
  HitsSeries series;
  GraphScale scale;
  bool bars = true;
  bool markWins = false;
  bool greyBackground = false;
  Point p1, p2;  // the last left- and right-button positions over the plot
  int p1Index = 0, p2Index = 0;
  Point textCursor;
  struct HelpLine {
    Segment segment;
    bool textColour = false;  // a vertical extended line is drawn in the text colour
  };
  std::vector<HelpLine> helpLines;
  struct Note {
    Point at;  // the text's left end and baseline
    std::string text;
    double widthUnits = 0;
  };
  std::vector<Note> notes;
  std::vector<double> winXs;  // the marks of "Mark wins" in the visible range
};

// What the finder hands the graph: the day's counts, and the run's hits for other days.
struct HotspotDay {
  std::string title;     // "Person 1 and Person 2"
  std::string dateText;  // the transit date text
  CivilDate date;
  MinuteCounts counts{};
  HotspotHits hits;
};

class HitsGraph : public QMainWindow {
  Q_OBJECT
 public:
  // Receives the graph's date and the hour (0..23) and minute of a right-button release.
  using SendToTransit = std::function<void(const CivilDate& date, int hour, int minute)>;

  // The height of the drawing in its units (y -30..480), and the colour of its texts.
  static constexpr double kUnitsHigh = graph::BottomEdge - graph::TopEdge;
  static inline const QColor kTextColour{0, 0, 0};  // 0 of the 16-colour palette

  HitsGraph(Session& session, UserInterface& ui, FileDialogs& files, PrinterSetup& printer, SendToTransit send,
            QWidget* parent);
  ~HitsGraph() override;

  // Opens on a day: places the window, builds the series, writes the working file, shows it.
  void Form_Load(HotspotDay day);

  const HitsGraphState& State() const { return state_; }
  QWidget* Canvas() const;
  // Drawing units to the canvas's pixels and back.
  QPointF PixelOf(Point units) const;
  Point UnitsOf(QPointF pixel) const;

  // The menu entries; "&Lines" draws help lines from the points marked with the buttons.
  void mnuFileLoad_Click();
  void mnuSave_Click();
  void mnuSavePicture_Click();
  void DrawHorizontalLine();
  void DrawVerticalLine();
  void ConnectTwoPoints();
  void DrawExtendedLine();
  void mnuMarkWins_Click();
  void mnuZoom_Click();
  void mnuRedrawFULLChart_Click();
  void mnuRedrawReDraw_Click();
  void mnuReDrawColorR_Click();
  void mnuReDraw_Draw_with_bars_Click();
  void mnuPreviousDay_Click();
  void mnuNextDay_Click();
  void mnuPrintGraph_Click();

  // Pointer and keys over the chart, in drawing units; the canvas forwards its events here.
  void Form_MouseMove(Qt::MouseButtons buttons, Point at);
  void Form_MouseUp(Qt::MouseButton button, Point at);
  void Form_KeyPress(const QString& text);
  void ResizeEvent();

  // Paints the chart into a painter whose device is `size` pixels of the canvas.
  void Paint(QPainter& painter, QSizeF size) const;
  // The chart with its title and hover texts, as drawings (not pixels), fitted into `target`
  // with its proportions kept: for the printer and the saved pictures.
  void PaintPicture(QPainter& painter, const QRectF& target) const;

 private:
  class DrawingArea;
  void BuildMenus();
  // The series of a day's counts; the working file written from it.
  void Get_hits_from_array(const HotspotDay& day);
  bool WriteWorkingFile();
  // The visible range: every point, and the value scale of the points in it.
  void ShowAllPoints();
  void ScaleToVisibleRange();
  // A new series is shown whole, without the marks of the last one.
  void ShowNewSeries();
  void FullRedraw();
  void DisplayCaption();
  void PlaceLabels();
  void ShowDay(int step);
  void UpdateDayEntries();
  void MarkWins();
  void HideCursorLine();
  void ShowError(const std::string& text);

  Session& session_;
  UserInterface& ui_;
  FileDialogs& files_;
  PrinterSetup& printer_;
  SendToTransit send_;
  bool loading_ = true;
  std::unique_ptr<GeometryKeeper> keeper_;
  QWidget* canvas_ = nullptr;  // a DrawingArea
  QLabel *label1_ = nullptr, *label2_ = nullptr, *label4_ = nullptr;
  QFrame *vLine1_ = nullptr, *hLine1_ = nullptr;
  QAction *markWins_ = nullptr, *drawWithBars_ = nullptr, *previousDay_ = nullptr, *nextDay_ = nullptr;
  HitsGraphState state_;
  // The run's hits and the day shown, for the neighbouring days; none after a file is loaded.
  std::optional<HotspotHits> hits_;
  CivilDate date_;
};

}  // namespace kesmora::gui
