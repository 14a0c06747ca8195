#pragma once
// Text between the core's UTF-8 strings and Qt's strings.
#include <QString>

#include <string>

namespace kesmora::gui {

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

}  // namespace kesmora::gui
