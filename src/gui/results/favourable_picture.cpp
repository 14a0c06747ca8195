#include "gui/results/favourable_picture.h"

#include "core/reference/reference_tables.h"
#include "gui/common/printer_setup.h"
#include "gui/common/text.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <set>

namespace kesmora::gui {

namespace {

constexpr double kDateWidth = 100;    // the day labels at the left
constexpr double kHoursHeight = 16;   // the hours along the top
constexpr double kColumnWidth = 18;   // a retrograde body's column
constexpr double kLeastRowHeight = 6;

const QColor kOutside(244, 244, 244), kRuledOut(190, 190, 190), kAllowedNothing(255, 250, 225);
const QColor kScoreLow(214, 240, 200), kScoreHigh(20, 120, 50);
const QColor kWindowLine(20, 40, 160), kVoid(150, 60, 170), kRetrograde(200, 40, 40), kGrid(0, 0, 0, 40);

QColor Blend(const QColor& a, const QColor& b, double t) {
  auto mix = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
  return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

}  // namespace

WeeksPicture::WeeksPicture(const ReferenceTables& tables, DateOrder dateOrder, QWidget* parent)
    : QWidget(parent), tables_(tables), dateOrder_(dateOrder) {
  setObjectName("picWeeks");
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void WeeksPicture::SetPicture(const ElectionPicture* picture) {
  picture_ = picture;
  selected_ = -1;
  runs_ = MinuteRuns();
  updateGeometry();
  update();
}

void WeeksPicture::SetSelectedWindow(int rank) {
  selected_ = rank;
  update();
}

QString WeeksPicture::Legend() {
  return "Green: the preferred conditions hold, darker for a higher score. Pale yellow: allowed, no "
         "preferred condition holds. Grey: ruled out. Outlined: the windows, the best ten numbered. "
         "Purple strip: the Moon void of course. Red columns: retrograde.";
}

QSize WeeksPicture::sizeHint() const {
  const int days = picture_ ? picture_->days : 7;
  return QSize(720 + static_cast<int>(kDateWidth + 6 * kColumnWidth),
               static_cast<int>(kHoursHeight + days * kLeastRowHeight * 2));
}

std::vector<WeeksPicture::MinuteRun> WeeksPicture::MinuteRuns() const {
  std::vector<MinuteRun> runs;
  if (!picture_ || picture_->days <= 0) return runs;
  const ElectionPicture& p = *picture_;
  const double top = p.maxScore > 0 ? p.maxScore : 1;
  auto colourOf = [&](size_t i) {
    switch (p.state[i]) {
      case MinuteState::OutsideSpan: return kOutside;
      case MinuteState::RuledOut: return kRuledOut;
      case MinuteState::Allowed: break;
    }
    return p.score[i] > 0 ? Blend(kScoreLow, kScoreHigh, std::clamp(p.score[i] / top, 0.0, 1.0)) : kAllowedNothing;
  };
  for (int d = 0; d < p.days; ++d)
    for (int m = 0; m < kPictureMinutesPerDay; ++m) {
      const QColor colour = colourOf(p.Index(d, m));
      if (m > 0 && runs.back().colour == colour)
        runs.back().toMinute = m + 1;
      else
        runs.push_back({d, m, m + 1, colour});
    }
  return runs;
}

WeeksPicture::Layout WeeksPicture::LayoutIn(const QRectF& target) const {
  Layout l;
  if (picture_) {
    std::set<int> bodies;
    for (const PictureBand& b : picture_->bands)
      if (b.kind == PictureBand::Kind::Retrograde) bodies.insert(b.body);
    l.bodies.assign(bodies.begin(), bodies.end());
  }
  const double columns = kColumnWidth * static_cast<double>(l.bodies.size());
  const int days = picture_ ? std::max(picture_->days, 1) : 1;
  l.minutes = QRectF(target.left() + kDateWidth, target.top() + kHoursHeight,
                     std::max(target.width() - kDateWidth - columns - 4, 10.0), target.height() - kHoursHeight - 2);
  l.rowHeight = l.minutes.height() / days;
  l.retrograde = QRectF(l.minutes.right() + 4, l.minutes.top(), columns, l.minutes.height());
  return l;
}

// The hours and the days: a line every three hours, a stronger one before each Monday, and the
// dates where the rows have room.
void WeeksPicture::PaintHoursAndDays(QPainter& painter, const QRectF& target, const Layout& l) const {
  const double perMinute = l.minutes.width() / kPictureMinutesPerDay;
  QFont small = painter.font();
  small.setPixelSize(static_cast<int>(std::lround(std::clamp(l.rowHeight * 0.8, 6.0, 8.0) * 4 / 3)));  // 6 to 8 points
  painter.setFont(small);
  painter.setPen(QPen(kGrid, 0));
  for (int h = 0; h <= 24; h += 3) {
    const double x = l.minutes.left() + h * 60 * perMinute;
    painter.drawLine(QPointF(x, l.minutes.top()), QPointF(x, l.minutes.bottom()));
    painter.setPen(Qt::black);
    // The last line's "24" would run into the retrograde columns' names.
    if (h < 24)
      painter.drawText(QRectF(x - 20, target.top(), 40, kHoursHeight), Qt::AlignCenter,
                       QString("%1").arg(h, 2, 10, QChar('0')));
    painter.setPen(QPen(kGrid, 0));
  }
  const int labelEvery = l.rowHeight >= 9 ? 1 : l.rowHeight >= 4 ? 2 : 7;
  for (int d = 0; d < picture_->days; ++d) {
    const CivilDate date = AddDays(picture_->firstDate, d);
    const int weekday = WeekdayOf(date);
    const double y = l.minutes.top() + d * l.rowHeight;
    // A faint line between days, so a strip at a row's foot is not taken for the next day's.
    const bool monday = weekday == 0;
    if (monday || d > 0) {
      painter.setPen(QPen(monday ? QColor(0, 0, 0, 140) : kGrid, 0));
      painter.drawLine(QPointF(monday ? target.left() + 2 : l.minutes.left(), y), QPointF(l.minutes.right(), y));
      painter.setPen(QPen(kGrid, 0));
    }
    // Every day where the rows have room; else Monday, Wednesday and Friday; else Mondays.
    const bool label = labelEvery == 1 || (labelEvery == 2 ? weekday % 2 == 0 && weekday < 6 : weekday == 0);
    if (label) {
      painter.setPen(Qt::black);
      painter.drawText(QRectF(target.left() + 2, y, kDateWidth - 4, std::max(l.rowHeight, 10.0)),
                       Qt::AlignLeft | Qt::AlignTop,
                       QString("%1 %2").arg(WeekdayAbbreviation(weekday), ToQString(DateText(date, dateOrder_))));
      painter.setPen(QPen(kGrid, 0));
    }
  }
}

void WeeksPicture::Paint(QPainter& painter, const QRectF& target) const {
  painter.save();
  painter.fillRect(target, Qt::white);
  // Texts sized in the target's units, so a printer's resolution does not enlarge them.
  painter.setFont(PixelSizedFont(this));
  if (!picture_ || runs_.empty()) {
    painter.drawText(target, Qt::AlignCenter, "Add conditions and press Find.");
    painter.restore();
    return;
  }
  const ElectionPicture& p = *picture_;
  const Layout l = LayoutIn(target);
  // The minutes as runs of one colour each: shapes, which a printer or PDF keeps sharp, where an
  // image a pixel a minute would be smoothed or compressed into the rows beside.
  // Each reaches a device pixel into the next, which paints over it: edges rounded each on its
  // own would leave hairlines of white between them.
  const double perMinute = l.minutes.width() / kPictureMinutesPerDay;
  const double pixel = 1 / std::max(1.0, std::abs(painter.worldTransform().m22()));
  for (const MinuteRun& r : runs_) {
    const double right = r.toMinute < kPictureMinutesPerDay ? pixel : 0, below = r.day + 1 < p.days ? pixel : 0;
    painter.fillRect(QRectF(QPointF(l.minutes.left() + r.fromMinute * perMinute, l.minutes.top() + r.day * l.rowHeight),
                            QPointF(l.minutes.left() + r.toMinute * perMinute + right,
                                    l.minutes.top() + (r.day + 1) * l.rowHeight + below)),
                     r.colour);
  }

  auto stretchRect = [&](const RowStretch& s, double fromFraction, double toFraction) {
    return QRectF(l.minutes.left() + s.fromMinute * perMinute,
                  l.minutes.top() + (s.day + fromFraction) * l.rowHeight, (s.toMinute - s.fromMinute) * perMinute,
                  (toFraction - fromFraction) * l.rowHeight);
  };
  // The void Moon: a strip along the foot of its rows.
  for (const PictureBand& b : p.bands)
    if (b.kind == PictureBand::Kind::Void)
      for (const RowStretch& s : p.RowStretches(b.fromDay, b.toDay)) painter.fillRect(stretchRect(s, 0.72, 1), kVoid);

  PaintHoursAndDays(painter, target, l);

  // The windows outlined, the chosen one thicker, the best ten numbered.
  for (size_t k = 0; k < p.windows.size(); ++k) {
    const Interval& w = p.windows[k].interval;
    const bool chosen = static_cast<int>(k) == selected_;
    painter.setPen(QPen(chosen ? QColor(230, 120, 0) : kWindowLine, chosen ? 2.5 : 1.2));
    painter.setBrush(Qt::NoBrush);
    const auto stretches = p.RowStretches(w.startJd - p.firstMidnightJd, w.endJd - p.firstMidnightJd);
    for (const RowStretch& s : stretches) painter.drawRect(stretchRect(s, 0.05, 0.95));
    if (k < 10 && !stretches.empty() && l.rowHeight >= 7) {
      // On a white ground, to be read on the darkest green.
      const QRectF r = stretchRect(stretches.front(), 0, 1);
      const QString number = QString::number(k + 1);
      const QFontMetricsF metrics(painter.font());
      const QRectF box(r.left() + 3, r.center().y() - metrics.height() / 2, metrics.horizontalAdvance(number) + 4,
                       metrics.height());
      painter.fillRect(box, QColor(255, 255, 255, 220));
      painter.drawText(box, Qt::AlignCenter, number);
    }
  }

  // The retrograde periods beside the days, a column a body.
  for (size_t c = 0; c < l.bodies.size(); ++c) {
    const double x = l.retrograde.left() + static_cast<double>(c) * kColumnWidth;
    const QString name = ToQString(tables_.Planet(l.bodies[c]).name).left(2);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x, target.top(), kColumnWidth, kHoursHeight), Qt::AlignCenter, name);
    for (const PictureBand& b : p.bands)
      if (b.kind == PictureBand::Kind::Retrograde && b.body == l.bodies[c])
        painter.fillRect(QRectF(x + 4, l.minutes.top() + b.fromDay * l.rowHeight, kColumnWidth - 8,
                                (b.toDay - b.fromDay) * l.rowHeight),
                         kRetrograde);
  }
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(l.minutes);
  painter.restore();
}

bool WeeksPicture::MinuteAt(QPointF at, int& day, int& minute) const {
  if (!picture_) return false;
  const Layout l = LayoutIn(QRectF(rect()));
  if (!l.minutes.contains(at)) return false;
  day = std::clamp(static_cast<int>((at.y() - l.minutes.top()) / l.rowHeight), 0, picture_->days - 1);
  minute = std::clamp(static_cast<int>((at.x() - l.minutes.left()) / l.minutes.width() * kPictureMinutesPerDay), 0,
                      kPictureMinutesPerDay - 1);
  return true;
}

void WeeksPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Paint(painter, QRectF(rect()));
}

void WeeksPicture::mouseMoveEvent(QMouseEvent* event) {
  int day = 0, minute = 0;
  if (hoverText_ && MinuteAt(event->position(), day, minute)) {
    const QString text = hoverText_(day, minute);
    setToolTip(text);
    QToolTip::showText(event->globalPosition().toPoint(), text, this);
  } else {
    setToolTip({});
    QToolTip::hideText();
  }
}

void WeeksPicture::mousePressEvent(QMouseEvent* event) {
  int day = 0, minute = 0;
  if (event->button() == Qt::LeftButton && MinuteAt(event->position(), day, minute)) emit minuteClicked(day, minute);
}

}  // namespace kesmora::gui
