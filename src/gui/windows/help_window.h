#pragma once
// A help text of the program directory, shown in a window of its own: reading it leaves the
// data window and the data that Save and Print write as they are.
#include <QWidget>

#include <filesystem>
#include <string>

class QPlainTextEdit;

namespace kesmora::gui {

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent);

  // Shows the file's text under the menu entry's caption; false when it cannot be read.
  bool ShowText(const std::filesystem::path& file, const QString& caption);

 private:
  QPlainTextEdit* text_ = nullptr;
};

}  // namespace kesmora::gui
