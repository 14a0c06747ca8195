#include "gui/windows/help_window.h"

#include "core/reference/text.h"
#include "gui/common/window_geometry.h"
#include "gui/windows/report_font.h"

#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace kesmora::gui {

namespace {

constexpr int kColumns = 80, kRows = 36;

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpText");
  text_ = new QPlainTextEdit;
  text_->setObjectName("txtHelp");
  text_->setReadOnly(true);
  text_->setFont(ReportFont(10));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(text_);
  // Escape closes it, as it closes a dialog.
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
  const QFontMetrics metrics(text_->font());
  resize(metrics.horizontalAdvance(QString(kColumns, 'x')) + 40, metrics.lineSpacing() * kRows + 20);
}

bool HelpWindow::ShowText(const std::filesystem::path& file, const QString& caption) {
  const auto lines = ReadLines(file);
  if (!lines) return false;
  QString text;
  for (const std::string& line : *lines) text += QString::fromStdString(line) + '\n';
  text_->setPlainText(text);
  setWindowTitle("Help - " + caption);
  show();
  KeepOnScreen(this);
  raise();
  activateWindow();
  return true;
}

}  // namespace kesmora::gui
