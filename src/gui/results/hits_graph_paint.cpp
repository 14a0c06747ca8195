// The hits graph's painting: the value grid and axes, the time labels, the counts as bars or a
// line, the marks, help lines and notes; on the screen, the printer and in saved pictures.
#include "gui/results/hits_graph.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/printer_setup.h"
#include "gui/common/text.h"

#include <QImage>
#include <QLabel>
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

// Drawing units to the pixels of a painter's device of a given size.
struct UnitsToPixels {
  double sx, sy;
  UnitsToPixels(QSizeF size) : sx(size.width() / graph::Width), sy(size.height() / HitsGraph::kUnitsHigh) {}
  QPointF operator()(double x, double y) const { return {x * sx, (y - graph::TopEdge) * sy}; }
  double X(double x) const { return x * sx; }
  double Y(double y) const { return (y - graph::TopEdge) * sy; }
};

// Lines along the pixel grid fall on pixel centres, so they stay sharp.
double Crisp(double v) { return std::floor(v + 1e-6) + 0.5; }

// Value grid with its labels, the axes.
void PaintValueGrid(QPainter& painter, const UnitsToPixels& px, const GraphScale& s, const QFontMetricsF& fm) {
  const QPen gridPen(kGridColour, 1);
  for (const ValueLine& v : ValueLines(s)) {
    double y = Crisp(px.Y(v.y));
    painter.setPen(gridPen);
    painter.drawLine(QPointF(px.X(graph::GridLeft), y), QPointF(px.X(graph::PlotRight), y));
    painter.setPen(HitsGraph::kTextColour);
    painter.drawText(QRectF(0, y - fm.height() / 2, px.X(graph::ValueLabelRight), fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(v.value));
  }
  painter.setPen(gridPen);
  double left = Crisp(px.X(graph::PlotLeft)), right = Crisp(px.X(graph::PlotRight));
  painter.drawLine(QPointF(left, px.Y(graph::Top)), QPointF(left, px.Y(graph::Bottom + graph::TickLength)));
  painter.drawLine(QPointF(right, px.Y(graph::Top)), QPointF(right, px.Y(graph::Bottom)));
}

// Time labels: hour, minute and am/pm in three rows under their ticks.
void PaintTimeLabels(QPainter& painter, const UnitsToPixels& px, const GraphScale& s, const HitsSeries& series,
                     const QFontMetricsF& fm) {
  auto timeLabel = [&](int i, double x) {
    const std::string& label = series.labels[static_cast<size_t>(i)];
    if (label.size() < 8) return;
    const std::string parts[] = {label.substr(0, 2), label.substr(3, 2), label.substr(label.size() - 2)};
    const double rows[] = {graph::HourRow, graph::MinuteRow, graph::HalfRow};
    for (int k = 0; k < 3; ++k)
      painter.drawText(QRectF(x - 30, px.Y(rows[k]), 60, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                       ToQString(parts[k]));
  };
  const int n = series.Points();
  painter.setPen(HitsGraph::kTextColour);
  if (s.first >= 1 && s.first <= n + 1) timeLabel(s.first, Crisp(px.X(graph::PlotLeft)));
  for (int i : TimeLabelPoints(s, n, series.StartMinuteOfDay(), series.stepMinutes)) {
    double x = Crisp(px.X(PointX(s, i)));
    painter.drawLine(QPointF(x, px.Y(graph::Bottom)), QPointF(x, px.Y(graph::Bottom + graph::TickLength)));
    painter.drawLine(QPointF(x, px.Y(0)), QPointF(x, px.Y(graph::Top)));
    timeLabel(i, x);
  }
}

void PaintBars(QPainter& painter, const UnitsToPixels& px, const GraphScale& s, const std::vector<int>& counts) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kDataColour);
  // Bars narrower than a pixel or two would blur into pale stripes: each takes at least one
  // whole pixel column instead, so a column shows the highest of its bars in full colour.
  const double pixelRatio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  const bool dense = s.spacing * px.sx * pixelRatio < 3;
  painter.setRenderHint(QPainter::Antialiasing, !dense);
  for (const Bar& b : Bars(s, counts)) {
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
}

void PaintLine(QPainter& painter, const UnitsToPixels& px, const GraphScale& s, const std::vector<int>& counts) {
  std::vector<QLineF> lines;
  for (const Segment& g : LineSegments(s, counts)) lines.emplace_back(px(g.x1, g.y1), px(g.x2, g.y2));
  painter.setPen(QPen(kDataColour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

// Marks, help lines and notes, on top of the counts.
void PaintAnnotations(QPainter& painter, const UnitsToPixels& px, const HitsGraphState& state, QSizeF size,
                      const QFontMetricsF& fm) {
  painter.setPen(QPen(kHelpColour, 1));
  for (double x : state.winXs) {
    double cx = Crisp(px.X(x));
    painter.drawLine(QPointF(cx, px.Y(graph::Top)), QPointF(cx, px.Y(graph::Bottom)));
  }
  for (const auto& h : state.helpLines) {
    painter.setPen(QPen(h.textColour ? HitsGraph::kTextColour : kHelpColour, 1));
    QPointF a = px(h.segment.x1, h.segment.y1), b = px(h.segment.x2, h.segment.y2);
    if (h.segment.y1 == h.segment.y2) a.ry() = b.ry() = Crisp(a.y());
    if (h.segment.x1 == h.segment.x2) a.rx() = b.rx() = Crisp(a.x());
    painter.drawLine(a, b);
  }
  painter.setPen(HitsGraph::kTextColour);
  for (const auto& note : state.notes)
    painter.drawText(QRectF(px(note.at.x, note.at.y), QSizeF(size.width(), fm.height() * 2)),
                     Qt::AlignLeft | Qt::AlignTop, ToQString(note.text));
}

}  // namespace

QPointF HitsGraph::PixelOf(Point u) const {
  return {u.x * canvas_->width() / graph::Width, (u.y - graph::TopEdge) * canvas_->height() / kUnitsHigh};
}

Point HitsGraph::UnitsOf(QPointF p) const {
  return {p.x() * graph::Width / std::max(1, canvas_->width()),
          p.y() * kUnitsHigh / std::max(1, canvas_->height()) + graph::TopEdge};
}

void HitsGraph::Paint(QPainter& painter, QSizeF size) const {
  const UnitsToPixels px(size);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.fillRect(QRectF(QPointF(0, 0), size), state_.greyBackground ? kLightGrey : kWhite);
  // Sized in the canvas's pixels, so that a printer's painter scales text with the drawing.
  const QFont font = PixelSizedFont(canvas_);
  painter.setFont(font);
  const QFontMetricsF fm(font);
  PaintValueGrid(painter, px, state_.scale, fm);
  PaintTimeLabels(painter, px, state_.scale, state_.series, fm);
  if (state_.bars)
    PaintBars(painter, px, state_.scale, state_.series.counts);
  else
    PaintLine(painter, px, state_.scale, state_.series.counts);
  PaintAnnotations(painter, px, state_, size, fm);
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
  PrintPage(printer_, printer, this, ui_, [this](QPainter& painter, const QRectF& page) { PaintPicture(painter, page); });
}

void HitsGraph::mnuSavePicture_Click() {
  const auto folder = HitsFolder(session_.programDir);
  std::string proposed = DatedCopyName(session_.person1.name, state_.series.dateText, session_.formats.dateOrder)
                             .value_or("hits.csv");
  proposed.replace(proposed.size() - 4, 4, ".png");
  FileRequest request{"Save picture", ToQString(folder.string()), ToQString(proposed), "PNG image (*.png);;PDF document (*.pdf)",
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
