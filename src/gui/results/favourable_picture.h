#pragma once
// The weeks of an election's span at a glance: a row a day, the 24 hours across, each minute
// shaded by its score, the windows outlined, the void-of-course Moon as a strip under the
// hours and the retrograde periods as columns beside the days.
#include "core/results/election_picture.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace kesmora {
struct ReferenceTables;
}

namespace kesmora::gui {

class WeeksPicture : public QWidget {
  Q_OBJECT
 public:
  // `tables` names the retrograde bodies; `dateOrder` writes the days.
  WeeksPicture(const ReferenceTables& tables, DateOrder dateOrder, QWidget* parent = nullptr);

  // The picture painted, or none; kept by the caller for as long as it is shown.
  void SetPicture(const ElectionPicture* picture);
  // The window whose outline is drawn thicker, by rank; -1 for none.
  void SetSelectedWindow(int rank);
  // What the pointer names: the text for a minute.
  void SetHoverText(std::function<QString(int day, int minute)> text) { hoverText_ = std::move(text); }

  // What the shades, strips and columns mean, in a line.
  static QString Legend();
  // Paints the picture into `target` of any device: the screen, a PNG or a printed page.
  void Paint(QPainter& painter, const QRectF& target) const;
  // The row and minute at a point of the widget; false outside the rows.
  bool MinuteAt(QPointF at, int& day, int& minute) const;
  QSize sizeHint() const override;

 signals:
  void minuteClicked(int day, int minute);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  // Where the parts lie within a target rectangle.
  struct Layout {
    QRectF minutes;  // the rows of minutes
    double rowHeight = 0;
    QRectF retrograde;  // the columns of the retrograde bodies
    std::vector<int> bodies;  // the body of each column
  };
  Layout LayoutIn(const QRectF& target) const;
  void PaintHoursAndDays(QPainter& painter, const QRectF& target, const Layout& l) const;
  // Minutes of one colour side by side, a day's row at a time.
  struct MinuteRun {
    int day = 0, fromMinute = 0, toMinute = 0;
    QColor colour;
  };
  std::vector<MinuteRun> MinuteRuns() const;

  const ReferenceTables& tables_;
  DateOrder dateOrder_;
  const ElectionPicture* picture_ = nullptr;
  std::vector<MinuteRun> runs_;
  int selected_ = -1;
  std::function<QString(int, int)> hoverText_;
};

}  // namespace kesmora::gui
