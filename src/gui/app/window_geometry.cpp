#include "gui/app/window_geometry.h"

#include <QEvent>
#include <QWidget>

namespace kesmora::gui {

WindowRect TwipsRectOf(const QWidget* w) {
  return {w->y() * kTwipsPerPixel, w->x() * kTwipsPerPixel, w->height() * kTwipsPerPixel,
          w->width() * kTwipsPerPixel};
}

void ApplyTwipsRect(QWidget* w, const WindowRect& r) {
  w->resize(r.width / kTwipsPerPixel, r.height / kTwipsPerPixel);
  w->move(r.left / kTwipsPerPixel, r.top / kTwipsPerPixel);
}

GeometryKeeper::GeometryKeeper(QWidget* window, std::function<void()> store)
    : window_(window), store_(std::move(store)) {
  window->installEventFilter(this);
}

bool GeometryKeeper::eventFilter(QObject* watched, QEvent* event) {
  bool left = event->type() == QEvent::ActivationChange && !window_->isActiveWindow();
  bool moved = event->type() == QEvent::Move || event->type() == QEvent::Resize;
  if (watched == window_ && (moved || left) && !window_->isMinimized()) store_();
  return QObject::eventFilter(watched, event);
}

}  // namespace kesmora::gui
