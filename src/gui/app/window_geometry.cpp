#include "gui/app/window_geometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace kesmora::gui {

WindowRect TwipsRectOf(const QWidget* w) {
  return {w->y() * kTwipsPerPixel, w->x() * kTwipsPerPixel, w->height() * kTwipsPerPixel,
          w->width() * kTwipsPerPixel};
}

QRect FitIntoArea(QRect outer, const QRect& available) {
  if (available.isEmpty()) return outer;
  outer.setSize(outer.size().boundedTo(available.size()));
  outer.moveTo(std::clamp(outer.x(), available.left(), available.right() + 1 - outer.width()),
               std::clamp(outer.y(), available.top(), available.bottom() + 1 - outer.height()));
  return outer;
}

namespace {

// What the title bar and borders add around the window; before it is first shown they are
// unknown, so a title bar is allowed for.
QMargins FrameMargins(const QWidget* w) {
  if (!w->isVisible()) return {0, w->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w), 0, 0};
  const QRect outer = w->frameGeometry(), inner = w->geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

}  // namespace

void ApplyTwipsRect(QWidget* w, const WindowRect& r, QSize atLeast) {
  // The settings keep the frame's place and the inside's size.
  const QMargins frame = FrameMargins(w);
  const QSize inside = QSize(r.width / kTwipsPerPixel, r.height / kTwipsPerPixel).expandedTo(atLeast);
  QRect outer(QPoint(r.left / kTwipsPerPixel, r.top / kTwipsPerPixel), inside.grownBy(frame));
  const QScreen* screen = QGuiApplication::screenAt(outer.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) outer = FitIntoArea(outer, screen->availableGeometry());
  w->resize(outer.size().shrunkBy(frame));
  w->move(outer.topLeft());
}

void KeepOnScreen(QWidget* w) {
  const QScreen* screen = w->screen();
  if (!screen || !w->isVisible()) return;
  const QRect outer = w->frameGeometry();
  const QRect fitted = FitIntoArea(outer, screen->availableGeometry());
  if (fitted == outer) return;
  w->resize(fitted.size().shrunkBy(FrameMargins(w)));
  w->move(fitted.topLeft());
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
