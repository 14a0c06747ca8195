#include "gui/results/favourable_picture.h"

#include "core/reference/reference_tables.h"
#include "gui/common/text.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
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
  minutes_ = MinuteImage();
  updateGeometry();
  update();
}

void WeeksPicture::SetSelectedWindow(int rank) {
  selected_ = rank;
  update();
}

QSize WeeksPicture::sizeHint() const {
  const int days = picture_ ? picture_->days : 7;
  return QSize(720 + static_cast<int>(kDateWidth + 6 * kColumnWidth),
               static_cast<int>(kHoursHeight + days * kLeastRowHeight * 2));
}

QImage WeeksPicture::MinuteImage() const {
  if (!picture_ || picture_->days <= 0) return {};
  const ElectionPicture& p = *picture_;
  QImage image(kPictureMinutesPerDay, p.days, QImage::Format_RGB32);
  const double top = p.maxScore > 0 ? p.maxScore : 1;
  for (int d = 0; d < p.days; ++d) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(d));
    for (int m = 0; m < kPictureMinutesPerDay; ++m) {
      const size_t i = p.Index(d, m);
      QColor c;
      switch (p.state[i]) {
        case MinuteState::OutsideSpan: c = kOutside; break;
        case MinuteState::RuledOut: c = kRuledOut; break;
        case MinuteState::Allowed:
          c = p.score[i] > 0 ? Blend(kScoreLow, kScoreHigh, std::clamp(p.score[i] / top, 0.0, 1.0)) : kAllowedNothing;
      }
      line[m] = c.rgb();
    }
  }
  return image;
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
  small.setPointSizeF(std::max(6.0, std::min(8.0, l.rowHeight * 0.8)));
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
    if (weekday == 0) {
      painter.setPen(QPen(QColor(0, 0, 0, 140), 0));
      painter.drawLine(QPointF(target.left() + 2, y), QPointF(l.minutes.right(), y));
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
  if (!picture_ || minutes_.isNull()) {
    painter.drawText(target, Qt::AlignCenter, "Add conditions and press Find.");
    painter.restore();
    return;
  }
  const ElectionPicture& p = *picture_;
  const Layout l = LayoutIn(target);
  painter.drawImage(l.minutes, minutes_);

  const double perMinute = l.minutes.width() / kPictureMinutesPerDay;
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
      const QRectF r = stretchRect(stretches.front(), 0, 1);
      painter.drawText(QRectF(r.left() + 2, r.top(), 24, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::number(k + 1));
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
