#pragma once
// Window places and sizes as the settings keep them, in twips (15 to a pixel).
#include "core/settings/settings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QSize>

#include <functional>
#include <map>

class QWidget;

namespace kesmora::gui {

inline constexpr int kTwipsPerPixel = 15;

WindowRect TwipsRectOf(const QWidget* window);
// Places and sizes the window as kept, at least `atLeast` large, and brought into the free area
// of its screen: smaller when it is larger than that area, moved when it lies outside it.
void ApplyTwipsRect(QWidget* window, const WindowRect& rect, QSize atLeast = {});
// Once the window is shown and its frame known: brings the frame wholly into the free area of
// its screen, as ApplyTwipsRect does.
void KeepOnScreen(QWidget* window);
// A window's outer rect (frame included) moved into `available`, and made smaller where it is
// larger.
QRect FitIntoArea(QRect outer, const QRect& available);

// The width a window needs for its title bar to show the title whole: the title in the bold face
// window managers use, beside an icon and the three buttons.
int TitleBarWidth(const QWidget* window);
// Makes a dialog at least that wide (a message box grows its layout, as it sizes itself).
void KeepTitleWhole(QWidget* dialog);

// Brings every window of the program wholly into the free area of its screen when it is
// shown, and again once the window manager has framed it: before that, the frame's size is not
// known, and a window that fits without it may reach under a panel. One is installed on the
// application for as long as it lives.
class ScreenFitter : public QObject {
 public:
  // `settlingMs`: long enough for a window manager to frame a new window.
  explicit ScreenFitter(QObject* parent = nullptr, qint64 settlingMs = 2000);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Windows shown a moment ago, whose frame may still arrive.
  std::map<QObject*, QElapsedTimer> settling_;
  qint64 settlingMs_;
};

// Calls `store` whenever the window moves, is resized or loses the focus, unless it is
// minimised; the callback decides itself whether it is loading. The window owns its keeper
// as a member, so the keeper goes before the window's own destruction sends it events.
class GeometryKeeper : public QObject {
 public:
  GeometryKeeper(QWidget* window, std::function<void()> store);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  std::function<void()> store_;
};

}  // namespace kesmora::gui
