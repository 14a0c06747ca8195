// The hits graph window: its canvas and menus, the day it shows, its value scale, and the
// hits files it writes, loads and saves.
#include "gui/results/hits_graph.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/reference/text.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/text.h"

#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kesmora::gui {

namespace {

constexpr double kLabelGapUnits = 25;

QFont GraphFont() {
  QFont font("Arial");
  font.setPointSizeF(8);
  return font;
}

}  // namespace

// The drawing area: paints the graph's state and passes the pointer and keys on.
class HitsGraph::DrawingArea : public QWidget {
 public:
  explicit DrawingArea(HitsGraph* graph) : graph_(graph) {
    setObjectName("Canvas");
    setFont(GraphFont());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    graph_->Paint(painter, size());
  }
  void mousePressEvent(QMouseEvent* e) override { graph_->Form_MouseMove(e->buttons(), graph_->UnitsOf(e->position())); }
  void mouseMoveEvent(QMouseEvent* e) override { graph_->Form_MouseMove(e->buttons(), graph_->UnitsOf(e->position())); }
  void mouseReleaseEvent(QMouseEvent* e) override { graph_->Form_MouseUp(e->button(), graph_->UnitsOf(e->position())); }
  void keyPressEvent(QKeyEvent* e) override {
    if (!e->text().isEmpty() && (e->text()[0].isPrint() || e->key() == Qt::Key_Backspace) &&
        !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      graph_->Form_KeyPress(e->text());
      return;
    }
    QWidget::keyPressEvent(e);
  }
  void resizeEvent(QResizeEvent*) override { graph_->ResizeEvent(); }

 private:
  HitsGraph* graph_;
};

HitsGraph::HitsGraph(Session& session, UserInterface& ui, FileDialogs& files, PrinterSetup& printer,
                     SendToTransit send, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      session_(session),
      ui_(ui),
      files_(files),
      printer_(printer),
      send_(std::move(send)) {
  setObjectName("Hits_graph");
  setWindowTitle("Charts");
  canvas_ = new DrawingArea(this);
  setCentralWidget(canvas_);
  auto label = [this](const char* name) {
    auto* l = new QLabel(canvas_);
    l->setObjectName(name);
    return l;
  };
  label1_ = label("Label1");
  label2_ = label("Label2");
  label4_ = label("Label4");
  auto line = [this](const char* name) {
    auto* f = new QFrame(canvas_);
    f->setObjectName(name);
    f->setFrameShape(QFrame::NoFrame);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, kTextColour);
    f->setPalette(p);
    f->hide();
    return f;
  };
  vLine1_ = line("VLine1");
  hLine1_ = line("HLine1");  // kept hidden
  BuildMenus();
  keeper_ = std::make_unique<GeometryKeeper>(this, [this] {
    if (!loading_) session_.settings.hitGraph = TwipsRectOf(this);
  });
}

HitsGraph::~HitsGraph() = default;

QWidget* HitsGraph::Canvas() const { return canvas_; }

void HitsGraph::BuildMenus() {
  auto add = [this](QMenu* menu, const char* name, const QString& caption, void (HitsGraph::*handler)(),
                    QKeySequence shortcut = {}) {
    QAction* a = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  QMenu* file = menuBar()->addMenu("&File");
  add(file, "mnuFileLoad", "&Load && display .csv file", &HitsGraph::mnuFileLoad_Click, QKeySequence(Qt::Key_F1));
  add(file, "mnuSave", "&Save current .csv file", &HitsGraph::mnuSave_Click, QKeySequence(Qt::Key_F2));
  add(file, "mnuSavePicture", "Save &picture...", &HitsGraph::mnuSavePicture_Click);

  QMenu* lines = menuBar()->addMenu("&Lines");
  add(lines, "mnuLinesHL", "&Horizontal Line", &HitsGraph::DrawHorizontalLine, QKeySequence("Ctrl+H"));
  add(lines, "mnuLinesVL", "&Vertical Line", &HitsGraph::DrawVerticalLine, QKeySequence("Ctrl+V"));
  add(lines, "mnuLinesCL", "&Connect 2 points", &HitsGraph::ConnectTwoPoints, QKeySequence("Ctrl+T"));
  add(lines, "mnuLinesEL", "&Extended Line", &HitsGraph::DrawExtendedLine, QKeySequence("Ctrl+E"));
  lines->addSeparator();
  markWins_ = add(lines, "mnuMarkWins", "&Mark wins", &HitsGraph::mnuMarkWins_Click, QKeySequence("Ctrl+M"));
  markWins_->setCheckable(true);

  QMenu* redraw = menuBar()->addMenu("&ReDraw");
  add(redraw, "mnuZoom", "&Zoom", &HitsGraph::mnuZoom_Click, QKeySequence(Qt::Key_F5));
  add(redraw, "mnuRedrawFULLChart", "Redraw FULL chart", &HitsGraph::mnuRedrawFULLChart_Click, QKeySequence(Qt::Key_F6));
  add(redraw, "mnuRedrawReDraw", "&ReDraw displayed chart", &HitsGraph::mnuRedrawReDraw_Click, QKeySequence("Ctrl+A"));
  add(redraw, "mnuReDrawColorR", "Toggle Background &Color", &HitsGraph::mnuReDrawColorR_Click, QKeySequence("Ctrl+B"));
  drawWithBars_ = add(redraw, "mnuReDraw_Draw_with_bars", "Draw with bars", &HitsGraph::mnuReDraw_Draw_with_bars_Click,
                      QKeySequence("Ctrl+D"));
  drawWithBars_->setCheckable(true);
  drawWithBars_->setChecked(true);
  redraw->addSeparator();
  previousDay_ = add(redraw, "mnuPreviousDay", "&Previous day", &HitsGraph::mnuPreviousDay_Click,
                     QKeySequence(Qt::Key_PageUp));
  nextDay_ = add(redraw, "mnuNextDay", "&Next day", &HitsGraph::mnuNextDay_Click, QKeySequence(Qt::Key_PageDown));

  add(nullptr, "mnuPrintGraph", "&Print", &HitsGraph::mnuPrintGraph_Click);
}

void HitsGraph::Form_Load(HotspotDay day) {
  ui_.SetBusy(true);
  loading_ = true;
  ApplyTwipsRect(this, session_.settings.hitGraph);
  loading_ = false;
  state_.p1Index = state_.p2Index = 0;
  hits_ = std::move(day.hits);
  date_ = day.date;
  Get_hits_from_array(day);
  ShowAllPoints();
  state_.greyBackground = false;
  ScaleToVisibleRange();
  UpdateDayEntries();
  show();
  PlaceLabels();
  FullRedraw();
  canvas_->setFocus();
  ui_.SetBusy(false);
}

void HitsGraph::Get_hits_from_array(const HotspotDay& day) {
  state_.series = SeriesOfDay(day.title, day.dateText, day.counts);
  WriteWorkingFile();
}

bool HitsGraph::WriteWorkingFile() {
  std::error_code ec;
  std::filesystem::create_directories(HitsFolder(session_.programDir), ec);
  const auto file = WorkingHitsFile(session_.programDir);
  WriteResult written = WriteFileAtomically(file, HitsFileText(state_.series));
  if (written) return true;
  ShowError(WriteFailureText(file, written));
  return false;
}

void HitsGraph::ShowAllPoints() {
  state_.scale.first = 1;
  state_.scale.last = state_.series.Points();
}

void HitsGraph::ScaleToVisibleRange() { state_.scale = ScaleFor(state_.series.counts, state_.scale.first, state_.scale.last); }

void HitsGraph::ShowNewSeries() {
  state_.p1Index = state_.p2Index = 0;
  label1_->clear();
  label2_->clear();
  ShowAllPoints();
  ScaleToVisibleRange();
  PlaceLabels();
  FullRedraw();
}

void HitsGraph::FullRedraw() {
  state_.helpLines.clear();
  state_.notes.clear();
  DisplayCaption();
  MarkWins();
  canvas_->update();
}

void HitsGraph::DisplayCaption() { setWindowTitle("# of Hits"); }

void HitsGraph::MarkWins() {
  state_.winXs.clear();
  if (!state_.markWins) return;
  auto date = SeriesDate(state_.series.dateText, session_.formats.dateOrder);
  if (!date) return;
  for (int minute : WinMinutes(session_.names.records, *date, session_.formats.dateOrder))
    if (auto x = MinuteX(state_.scale, state_.series.StartMinuteOfDay(), state_.series.stepMinutes, minute))
      state_.winXs.push_back(*x);
}

void HitsGraph::PlaceLabels() {
  QFontMetrics fm(canvas_->font());
  const int width = fm.horizontalAdvance("00000 hits at 00:00 am") + 8;
  const QPointF titleTop = PixelOf({graph::PlotLeft, graph::TitleY});
  const int row = static_cast<int>(std::lround(PixelOf({0, graph::TitleY + 1.3}).y()));
  label1_->setGeometry(static_cast<int>(titleTop.x()), row, width, fm.height());
  label2_->setGeometry(label1_->geometry().right() + 8, row, width, fm.height());
  const int gap = static_cast<int>(std::lround(kLabelGapUnits * canvas_->width() / graph::Width));
  label4_->setText(ToQString("Number of HITS for " + state_.series.title + " on " + state_.series.dateText));
  label4_->adjustSize();
  label4_->move(label2_->geometry().right() + gap, static_cast<int>(std::lround(titleTop.y())));
}

void HitsGraph::ResizeEvent() {
  if (loading_ || isMinimized()) return;
  PlaceLabels();
  HideCursorLine();
  // As a new drawing: white again, without help lines and notes.
  state_.greyBackground = false;
  FullRedraw();
}

void HitsGraph::UpdateDayEntries() {
  previousDay_->setEnabled(hits_.has_value());
  nextDay_->setEnabled(hits_.has_value());
}

void HitsGraph::HideCursorLine() {
  vLine1_->hide();
  hLine1_->hide();
}

void HitsGraph::ShowError(const std::string& text) { ui_.ShowMessage({MessageIcon::Stop, "Error", text}); }

void HitsGraph::mnuMarkWins_Click() {
  state_.markWins = markWins_->isChecked();
  FullRedraw();
}

void HitsGraph::mnuRedrawFULLChart_Click() {
  ShowAllPoints();
  ScaleToVisibleRange();
  FullRedraw();
}

void HitsGraph::mnuRedrawReDraw_Click() { FullRedraw(); }

void HitsGraph::mnuReDrawColorR_Click() {
  state_.greyBackground = !state_.greyBackground;
  FullRedraw();
}

void HitsGraph::mnuReDraw_Draw_with_bars_Click() {
  state_.bars = drawWithBars_->isChecked();
  ScaleToVisibleRange();
  FullRedraw();
}

void HitsGraph::mnuPreviousDay_Click() { ShowDay(-1); }
void HitsGraph::mnuNextDay_Click() { ShowDay(1); }

void HitsGraph::ShowDay(int step) {
  if (!hits_) return;
  date_ = AddDays(date_, step);
  HotspotCount count = CountHotspots(*hits_, date_);
  state_.series = SeriesOfDay(state_.series.title, DateText(date_, session_.formats.dateOrder), count.counts);
  WriteWorkingFile();
  ShowNewSeries();
}

void HitsGraph::mnuSave_Click() {
  const auto working = WorkingHitsFile(session_.programDir);
  auto content = FileExists(working) ? ReadWholeFile(working) : std::nullopt;
  if (!content) {
    ShowError("There is no file to save.");
    return;
  }
  auto name = DatedCopyName(session_.person1.name, state_.series.dateText, session_.formats.dateOrder);
  if (!name) {
    ShowError("The date " + state_.series.dateText + " of the graph cannot be read; nothing was saved.");
    return;
  }
  const auto copy = HitsFolder(session_.programDir) / *name;
  if (WriteResult written = WriteFileAtomically(copy, WithCrlfLineEnds(*content)); !written)
    ShowError(WriteFailureText(copy, written));
}

void HitsGraph::mnuFileLoad_Click() {
  const auto folder = HitsFolder(session_.programDir);
  FileRequest request{"Specify .csv file to load", ToQString(folder.string()), "", ".csv Files (*.csv)", "csv"};
  auto chosen = files_.OpenFileName(this, request);
  if (!chosen) return;
  const std::string path = chosen->toStdString();
  auto text = ReadTextFile(path);
  if (!text) {
    ShowError("The file " + path + " could not be read.");
    return;
  }
  HitsFileReading reading = ParseHitsFile(*text, session_.formats.dateOrder);
  if (!reading.series) {
    ShowError("The file " + path + " is not a hits file: " + reading.error + ". The graph is unchanged.");
    return;
  }
  const auto working = WorkingHitsFile(session_.programDir);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (WriteResult written = WriteFileAtomically(working, WithCrlfLineEnds(*text)); !written)
    ShowError(WriteFailureText(working, written));
  state_.series = std::move(*reading.series);
  // The loaded day may be of other persons: the run's hits no longer lead to its neighbours.
  hits_.reset();
  UpdateDayEntries();
  ShowNewSeries();
}

}  // namespace kesmora::gui
