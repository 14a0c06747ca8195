// The hits graph's pointer, keys, help lines and zoom: what the user marks on the chart.
#include "gui/results/hits_graph.h"

#include "core/app/session.h"
#include "gui/common/text.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QFrame>
#include <QWidget>

#include <cmath>

namespace kesmora::gui {

void HitsGraph::Form_MouseMove(Qt::MouseButtons buttons, Point at) {
  state_.textCursor = {std::round(at.x), std::round(at.y)};
  if (!(buttons & (Qt::LeftButton | Qt::RightButton))) return;
  const bool overPlot = at.x >= graph::PlotLeft && at.x <= graph::PlotRight;
  if (overPlot) {
    const int i = NearestPoint(state_.scale, state_.series.Points(), at.x);
    const QString text =
        ToQString(HitsAtText(state_.series.counts[static_cast<size_t>(i)], state_.series.labels[static_cast<size_t>(i)]));
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

void HitsGraph::DrawHorizontalLine() {
  state_.helpLines.push_back({{graph::PlotLeft, state_.p1.y, graph::PlotRight, state_.p1.y}});
  canvas_->update();
}

void HitsGraph::DrawVerticalLine() {
  state_.helpLines.push_back({{state_.p1.x, graph::Top, state_.p1.x, graph::Bottom}});
  canvas_->update();
}

void HitsGraph::ConnectTwoPoints() {
  state_.helpLines.push_back({{state_.p1.x, state_.p1.y, state_.p2.x, state_.p2.y}});
  canvas_->update();
}

void HitsGraph::DrawExtendedLine() {
  if (auto line = ExtendLine(state_.p1, state_.p2)) {
    state_.helpLines.push_back({line->segment, line->vertical});
    canvas_->update();
  }
}

void HitsGraph::mnuZoom_Click() {
  auto range = ZoomRange(state_.p1Index, state_.p2Index);
  if (!range) return;
  state_.scale.first = range->first;
  state_.scale.last = range->second;
  ScaleToVisibleRange();
  FullRedraw();
}

}  // namespace kesmora::gui
