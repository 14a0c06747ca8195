#pragma once
// The fixed-pitch face of reports and printouts.
#include <QFont>

namespace kesmora::gui {

// "Courier New" when the system has it, else the system's fixed-pitch font.
QFont ReportFont(double pointSize, bool bold = false, bool italic = false);

}  // namespace kesmora::gui
