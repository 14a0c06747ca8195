#pragma once
// Window places and sizes as the settings keep them, in twips (15 to a pixel).
#include "core/settings/settings.h"

#include <QObject>

#include <functional>

class QWidget;

namespace kesmora::gui {

inline constexpr int kTwipsPerPixel = 15;

WindowRect TwipsRectOf(const QWidget* window);
void ApplyTwipsRect(QWidget* window, const WindowRect& rect);

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
