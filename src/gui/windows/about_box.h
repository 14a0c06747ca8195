#pragma once
// The About box: the program's name drawn with a shadow, and its version.
#include <QDialog>

namespace kesmora::gui {

class AboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit AboutBox(QWidget* parent);
};

// The title: the name printed several times with small offsets, the last time in yellow.
class ShadowTitle : public QWidget {
  Q_OBJECT
 public:
  explicit ShadowTitle(const QString& text, QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

}  // namespace kesmora::gui
