#include "gui/windows/report_font.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace kesmora::gui {

QFont ReportFont(double pointSize, bool bold, bool italic) {
  QFont font("Courier New");
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  if (QFontInfo(font).family() != font.family()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(pointSize);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

}  // namespace kesmora::gui
