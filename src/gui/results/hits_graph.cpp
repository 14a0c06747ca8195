#include "gui/results/hits_graph.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/reference/text.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/printer_setup.h"

#include <QAction>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace kesmora::gui {

namespace {

// The colours of the standard 16-colour palette the graph uses.
const QColor kGridColour(128, 128, 128);  // 8, dark grey
const QColor kHelpColour(255, 0, 0);      // 12, light red
const QColor kDataColour(0, 0, 255);
const QColor kWhite(255, 255, 255);       // 15
const QColor kLightGrey(192, 192, 192);   // 7
const QColor kTextColour(0, 0, 0);        // 0

constexpr double kUnitsHigh = graph::BottomEdge - graph::TopEdge;  // 510
constexpr double kLabelGapUnits = 25;

QString Q(const std::string& s) { return QString::fromStdString(s); }

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
  add(lines, "mnuLinesHL", "&Horizontal Line", &HitsGraph::mnuLinesHL_Click, QKeySequence("Ctrl+H"));
  add(lines, "mnuLinesVL", "&Vertical Line", &HitsGraph::mnuLinesVL_Click, QKeySequence("Ctrl+V"));
  add(lines, "mnuLinesCL", "&Connect 2 points", &HitsGraph::mnuLinesCL_Click, QKeySequence("Ctrl+T"));
  add(lines, "mnuLinesEL", "&Extended Line", &HitsGraph::mnuLinesEL_Click, QKeySequence("Ctrl+E"));
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
  Setup();
  state_.greyBackground = false;
  Setup1();
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

void HitsGraph::Setup() {
  state_.scale.first = 1;
  state_.scale.last = state_.series.Points();
}

void HitsGraph::Setup1() { state_.scale = ScaleFor(state_.series.counts, state_.scale.first, state_.scale.last); }

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

QPointF HitsGraph::PixelOf(Point u) const {
  return {u.x * canvas_->width() / graph::Width, (u.y - graph::TopEdge) * canvas_->height() / kUnitsHigh};
}

Point HitsGraph::UnitsOf(QPointF p) const {
  return {p.x() * graph::Width / std::max(1, canvas_->width()),
          p.y() * kUnitsHigh / std::max(1, canvas_->height()) + graph::TopEdge};
}

void HitsGraph::PlaceLabels() {
  QFontMetrics fm(canvas_->font());
  const int width = fm.horizontalAdvance("00000 hits at 00:00 am") + 8;
  const QPointF titleTop = PixelOf({graph::PlotLeft, graph::TitleY});
  const int row = static_cast<int>(std::lround(PixelOf({0, graph::TitleY + 1.3}).y()));
  label1_->setGeometry(static_cast<int>(titleTop.x()), row, width, fm.height());
  label2_->setGeometry(label1_->geometry().right() + 8, row, width, fm.height());
  const int gap = static_cast<int>(std::lround(kLabelGapUnits * canvas_->width() / graph::Width));
  label4_->setText(Q("Number of HITS for " + state_.series.title + " on " + state_.series.dateText));
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

void HitsGraph::Paint(QPainter& painter, QSizeF size) const {
  const double sx = size.width() / graph::Width, sy = size.height() / kUnitsHigh;
  auto px = [&](double x, double y) { return QPointF(x * sx, (y - graph::TopEdge) * sy); };
  // Lines along the pixel grid fall on pixel centres, so they stay sharp.
  auto crisp = [](double v) { return std::floor(v + 1e-6) + 0.5; };
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.fillRect(QRectF(QPointF(0, 0), size), state_.greyBackground ? kLightGrey : kWhite);
  // Sized in the canvas's pixels, so that a printer's painter scales text with the drawing.
  QFont font = canvas_->font();
  font.setPixelSize(QFontInfo(canvas_->font()).pixelSize());
  painter.setFont(font);
  const QFontMetricsF fm(font);
  const GraphScale& s = state_.scale;
  const HitsSeries& series = state_.series;
  const int n = series.Points();

  // Value grid with its labels, the axes.
  QPen gridPen(kGridColour, 1);
  painter.setPen(gridPen);
  for (const ValueLine& v : ValueLines(s)) {
    double y = crisp(px(0, v.y).y());
    painter.setPen(gridPen);
    painter.drawLine(QPointF(px(graph::GridLeft, 0).x(), y), QPointF(px(graph::PlotRight, 0).x(), y));
    painter.setPen(kTextColour);
    painter.drawText(QRectF(0, y - fm.height() / 2, px(graph::ValueLabelRight, 0).x(), fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(v.value));
  }
  painter.setPen(gridPen);
  double left = crisp(px(graph::PlotLeft, 0).x()), right = crisp(px(graph::PlotRight, 0).x());
  painter.drawLine(QPointF(left, px(0, graph::Top).y()), QPointF(left, px(0, graph::Bottom + graph::TickLength).y()));
  painter.drawLine(QPointF(right, px(0, graph::Top).y()), QPointF(right, px(0, graph::Bottom).y()));

  // Time labels: hour, minute and am/pm in three rows under their ticks.
  auto timeLabel = [&](int i, double x) {
    const std::string& label = series.labels[static_cast<size_t>(i)];
    if (label.size() < 8) return;
    const std::string parts[] = {label.substr(0, 2), label.substr(3, 2), label.substr(label.size() - 2)};
    const double rows[] = {graph::HourRow, graph::MinuteRow, graph::HalfRow};
    for (int k = 0; k < 3; ++k)
      painter.drawText(QRectF(x - 30, px(0, rows[k]).y(), 60, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                       Q(parts[k]));
  };
  painter.setPen(kTextColour);
  if (s.first >= 1 && s.first <= n + 1) timeLabel(s.first, left);
  for (int i : TimeLabelPoints(s, n, series.StartMinuteOfDay(), series.stepMinutes)) {
    double x = crisp(px(PointX(s, i), 0).x());
    painter.drawLine(QPointF(x, px(0, graph::Bottom).y()), QPointF(x, px(0, graph::Bottom + graph::TickLength).y()));
    painter.drawLine(QPointF(x, px(0, 0).y()), QPointF(x, px(0, graph::Top).y()));
    timeLabel(i, x);
  }

  // The counts.
  if (state_.bars) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kDataColour);
    // Bars narrower than a pixel or two would blur into pale stripes: each takes at least one
    // whole pixel column instead, so a column shows the highest of its bars in full colour.
    const double pixelRatio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const bool dense = s.spacing * sx * pixelRatio < 3;
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    for (const Bar& b : Bars(s, series.counts)) {
      if (b.top >= graph::Bottom) continue;
      QRectF r(px(b.x1, b.top), px(b.x2, graph::Bottom));
      if (dense) {
        double left = std::floor(r.left() * pixelRatio) / pixelRatio;
        r.setLeft(left);
        r.setRight(std::max(left + 1 / pixelRatio, std::round(r.right() * pixelRatio) / pixelRatio));
      }
      painter.drawRect(r);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
  } else {
    std::vector<QLineF> lines;
    for (const Segment& g : LineSegments(s, series.counts)) lines.emplace_back(px(g.x1, g.y1), px(g.x2, g.y2));
    painter.setPen(QPen(kDataColour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
  }

  // Marks, help lines and notes on top.
  painter.setPen(QPen(kHelpColour, 1));
  for (double x : state_.winXs) {
    double cx = crisp(px(x, 0).x());
    painter.drawLine(QPointF(cx, px(0, graph::Top).y()), QPointF(cx, px(0, graph::Bottom).y()));
  }
  for (const auto& h : state_.helpLines) {
    painter.setPen(QPen(h.textColour ? kTextColour : kHelpColour, 1));
    QPointF a = px(h.segment.x1, h.segment.y1), b = px(h.segment.x2, h.segment.y2);
    if (h.segment.y1 == h.segment.y2) a.ry() = b.ry() = crisp(a.y());
    if (h.segment.x1 == h.segment.x2) a.rx() = b.rx() = crisp(a.x());
    painter.drawLine(a, b);
  }
  painter.setPen(kTextColour);
  for (const auto& note : state_.notes)
    painter.drawText(QRectF(px(note.at.x, note.at.y), QSizeF(size.width(), fm.height() * 2)),
                     Qt::AlignLeft | Qt::AlignTop, Q(note.text));
}

void HitsGraph::Form_MouseMove(Qt::MouseButtons buttons, Point at) {
  state_.textCursor = {std::round(at.x), std::round(at.y)};
  if (!(buttons & (Qt::LeftButton | Qt::RightButton))) return;
  const bool overPlot = at.x >= graph::PlotLeft && at.x <= graph::PlotRight;
  if (overPlot) {
    const int i = NearestPoint(state_.scale, state_.series.Points(), at.x);
    const QString text =
        Q(HitsAtText(state_.series.counts[static_cast<size_t>(i)], state_.series.labels[static_cast<size_t>(i)]));
    if (buttons & Qt::LeftButton) {
      label1_->setText(text);
      state_.p1 = at;
      state_.p1Index = i;
    }
    if (buttons & Qt::RightButton) {
      label2_->setText(text);
      state_.p2 = at;
      state_.p2Index = i;
    }
  }
  if (overPlot && at.y >= graph::Top && at.y <= graph::Bottom) {
    QPointF top = PixelOf({at.x, graph::Top}), bottom = PixelOf({at.x, graph::Bottom});
    vLine1_->setGeometry(static_cast<int>(top.x()), static_cast<int>(top.y()), 1,
                         static_cast<int>(bottom.y() - top.y()));
    vLine1_->show();
  } else {
    vLine1_->hide();
  }
}

void HitsGraph::Form_MouseUp(Qt::MouseButton button, Point at) {
  HideCursorLine();
  DisplayCaption();
  if (button != Qt::RightButton || at.x < graph::PlotLeft || !send_) return;
  const HitsSeries& series = state_.series;
  // The point the hover text names, whatever the width of a point.
  const int i = NearestPoint(state_.scale, series.Points(), at.x);
  auto date = SeriesDate(series.dateText, session_.formats.dateOrder);
  if (!date || i < 1) return;
  const int minute = ((series.StartMinuteOfDay() + (i - 1) * series.stepMinutes) % MinutesPerDay + MinutesPerDay) %
                     MinutesPerDay;
  send_(*date, minute / 60, minute % 60);
}

void HitsGraph::Form_KeyPress(const QString& text) {
  const QFontMetricsF fm(canvas_->font());
  const double unitsPerPixel = graph::Width / std::max(1, canvas_->width());
  for (QChar c : text) {
    if (c == QChar('\b')) {
      // Backspace takes back the character just typed.
      if (!state_.notes.empty()) {
        const auto& last = state_.notes.back();
        if (std::abs(last.at.x + last.widthUnits - state_.textCursor.x) < 1e-6 &&
            std::abs(last.at.y + 8 - state_.textCursor.y) < 1e-6) {
          state_.textCursor.x = last.at.x;
          state_.notes.pop_back();
        }
      }
      continue;
    }
    if (!c.isPrint()) continue;
    double width = fm.horizontalAdvance(c) * unitsPerPixel;
    state_.notes.push_back({{state_.textCursor.x, state_.textCursor.y - 8}, QString(c).toStdString(), width});
    state_.textCursor.x += width;
  }
  canvas_->update();
}

void HitsGraph::mnuLinesHL_Click() {
  state_.helpLines.push_back({{graph::PlotLeft, state_.p1.y, graph::PlotRight, state_.p1.y}});
  canvas_->update();
}

void HitsGraph::mnuLinesVL_Click() {
  state_.helpLines.push_back({{state_.p1.x, graph::Top, state_.p1.x, graph::Bottom}});
  canvas_->update();
}

void HitsGraph::mnuLinesCL_Click() {
  state_.helpLines.push_back({{state_.p1.x, state_.p1.y, state_.p2.x, state_.p2.y}});
  canvas_->update();
}

void HitsGraph::mnuLinesEL_Click() {
  if (auto line = ExtendLine(state_.p1, state_.p2)) {
    state_.helpLines.push_back({line->segment, line->vertical});
    canvas_->update();
  }
}

void HitsGraph::mnuMarkWins_Click() {
  state_.markWins = markWins_->isChecked();
  FullRedraw();
}

void HitsGraph::mnuZoom_Click() {
  auto range = ZoomRange(state_.p1Index, state_.p2Index);
  if (!range) return;
  state_.scale.first = range->first;
  state_.scale.last = range->second;
  Setup1();
  FullRedraw();
}

void HitsGraph::mnuRedrawFULLChart_Click() {
  Setup();
  Setup1();
  FullRedraw();
}

void HitsGraph::mnuRedrawReDraw_Click() { FullRedraw(); }

void HitsGraph::mnuReDrawColorR_Click() {
  state_.greyBackground = !state_.greyBackground;
  FullRedraw();
}

void HitsGraph::mnuReDraw_Draw_with_bars_Click() {
  state_.bars = drawWithBars_->isChecked();
  Setup1();
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
  state_.p1Index = state_.p2Index = 0;
  label1_->clear();
  label2_->clear();
  Setup();
  Setup1();
  PlaceLabels();
  FullRedraw();
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
  FileRequest request{"Specify .csv file to load", Q(folder.string()), "", ".csv Files (*.csv)", "csv"};
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
  state_.p1Index = state_.p2Index = 0;
  label1_->clear();
  label2_->clear();
  Setup();
  Setup1();
  PlaceLabels();
  FullRedraw();
}

void HitsGraph::PaintPicture(QPainter& painter, const QRectF& target) const {
  const QSizeF size = canvas_->size();
  const double scale = std::min(target.width() / size.width(), target.height() / size.height());
  painter.save();
  painter.translate(target.x() + (target.width() - size.width() * scale) / 2,
                    target.y() + (target.height() - size.height() * scale) / 2);
  painter.scale(scale, scale);
  painter.setClipRect(QRectF(QPointF(0, 0), size));
  Paint(painter, size);
  painter.setPen(kTextColour);
  for (const QLabel* label : {label1_, label2_, label4_})
    painter.drawText(QRectF(label->geometry()), Qt::AlignLeft | Qt::AlignVCenter, label->text());
  painter.restore();
}

void HitsGraph::mnuPrintGraph_Click() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setDocName("Hits graph");
  if (!printer_.Prepare(printer, this)) return;
  ui_.SetBusy(true);
  QPainter painter;
  if (!painter.begin(&printer)) {
    ui_.SetBusy(false);
    ShowError("The printer could not be started.");
    return;
  }
  PaintPicture(painter, QRectF(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size()));
  painter.end();
  ui_.SetBusy(false);
}

void HitsGraph::mnuSavePicture_Click() {
  const auto folder = HitsFolder(session_.programDir);
  std::string proposed = DatedCopyName(session_.person1.name, state_.series.dateText, session_.formats.dateOrder)
                             .value_or("hits.csv");
  proposed.replace(proposed.size() - 4, 4, ".png");
  FileRequest request{"Save picture", Q(folder.string()), Q(proposed), "PNG image (*.png);;PDF document (*.pdf)",
                      "png"};
  auto chosen = files_.SaveFileName(this, request);
  if (!chosen) return;
  bool saved = false;
  if (chosen->endsWith(".pdf", Qt::CaseInsensitive)) {
    QPdfWriter pdf(*chosen);
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setTitle("Hits graph");
    QPainter painter;
    if (painter.begin(&pdf)) {
      PaintPicture(painter, QRectF(0, 0, pdf.width(), pdf.height()));
      saved = painter.end();
    }
  } else {
    constexpr qreal kPixelRatio = 2;  // sharp enough to print or zoom into
    QImage image(canvas_->size() * kPixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kPixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPicture(painter, QRectF(QPointF(0, 0), canvas_->size()));
    painter.end();
    saved = image.save(*chosen);
  }
  if (!saved) ShowError("The picture " + chosen->toStdString() + " could not be written.");
}

}  // namespace kesmora::gui
