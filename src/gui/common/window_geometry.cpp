#include "gui/common/window_geometry.h"

#include <QEvent>
#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QPointer>
#include <QStyle>
#include <QTimer>
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

int TitleBarWidth(const QWidget* w) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const QFontMetrics metrics(font);
  // Window managers draw titles a little larger than the application's font, and add an icon,
  // three buttons and their borders and gaps.
  const int button = metrics.height() + 8;
  return metrics.horizontalAdvance(w->windowTitle()) * 5 / 4 + 4 * button + 40;
}

void KeepTitleWhole(QWidget* dialog) {
  const int width = TitleBarWidth(dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
    // A message box sets its own fixed size from its layout, so the layout is made wide enough.
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
    return;
  }
  dialog->setMinimumWidth(std::max(dialog->minimumWidth(), width));
}

namespace {

bool FittedWindow(const QWidget* w) {
  if (!w->isWindow()) return false;
  const Qt::WindowType type = w->windowType();
  return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool;
}

}  // namespace

ScreenFitter::ScreenFitter(QObject* parent, qint64 settlingMs) : QObject(parent), settlingMs_(settlingMs) {}

bool ScreenFitter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize && type != QEvent::Hide &&
      type != QEvent::Destroy)
    return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (type == QEvent::Hide || type == QEvent::Destroy || !w || !FittedWindow(w)) {
    if (type == QEvent::Hide || type == QEvent::Destroy) settling_.erase(watched);
    return false;
  }
  // The settling time counts from the first return to the event loop after the window is shown,
  // not from the show itself: a window may be shown and then busy for seconds (the main window
  // calculates as it starts), and its frame arrives only once the loop runs again.
  if (type == QEvent::Show) settling_[watched].invalidate();
  auto it = settling_.find(watched);
  if (it == settling_.end()) return false;
  if (it->second.isValid() && it->second.elapsed() > settlingMs_) {
    settling_.erase(it);
    return false;
  }
  // After the event: the window's new place and frame are known then.
  QPointer<QWidget> window(w);
  QTimer::singleShot(0, this, [this, window] {
    if (!window) return;
    auto settling = settling_.find(window.data());
    if (settling != settling_.end() && !settling->second.isValid()) settling->second.start();
    if (window->isVisible() && !window->isMinimized() && !window->isMaximized() && !window->isFullScreen())
      KeepOnScreen(window);
  });
  return false;
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
