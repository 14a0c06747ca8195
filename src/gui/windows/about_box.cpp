#include "gui/windows/about_box.h"

#include "core/reference/reference_tables.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace kesmora::gui {

namespace {

QFont TitleFont(const QWidget* w) {
  QFont f = w->font();
  f.setFamily("Serif");
  f.setPointSize(36);
  f.setBold(true);
  f.setItalic(true);
  return f;
}

}  // namespace

ShadowTitle::ShadowTitle(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
  setObjectName("Title");
}

QSize ShadowTitle::sizeHint() const {
  QFontMetrics m(TitleFont(this));
  return {m.horizontalAdvance(text_) + 40, m.height() + 24};
}

void ShadowTitle::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(0, 0, 96));
  p.setFont(TitleFont(this));
  // Dark layers first, stepping up and to the left, then the name itself in yellow.
  const QColor layers[] = {QColor(0, 0, 0), QColor(40, 40, 40), QColor(90, 70, 0), QColor(255, 255, 0)};
  constexpr int kLayers = 4;
  for (int i = 0; i < kLayers; ++i) {
    int offset = (kLayers - 1 - i) * 2;
    p.setPen(layers[i]);
    p.drawText(rect().translated(offset, offset), Qt::AlignCenter, text_);
  }
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("About");
  setWindowTitle("About Kesmora");
  auto* title = new ShadowTitle("Kesmora");
  auto* version = new QLabel(QString("Version ") + ProgramVersion);
  version->setObjectName("Label1");
  version->setAlignment(Qt::AlignCenter);
  auto* purpose = new QLabel(
      "Favourable times from planetary transits.\nPositions by the Swiss Ephemeris.\n"
      "Atlas: GeoNames (geonames.org), cities of 1,000 people and more,\n"
      "under the Creative Commons Attribution 4.0 licence (CC BY 4.0).");
  purpose->setAlignment(Qt::AlignCenter);
  auto* ok = new QPushButton("OK");
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title);
  layout->addWidget(version);
  layout->addWidget(purpose);
  layout->addWidget(ok, 0, Qt::AlignCenter);
}

}  // namespace kesmora::gui
