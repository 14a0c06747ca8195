#include "gui/windows/tip_window.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kesmora::gui {

TipWindow::TipWindow(const std::filesystem::path& programDir, QWidget* parent)
    : QDialog(parent), tips_(programDir) {
  setObjectName("frmTip");
  setWindowTitle("Tip of the Day");
  auto* heading = new QLabel("Did you know...");
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  heading->setFont(bold);
  lblTipText_ = new QLabel;
  lblTipText_->setObjectName("lblTipText");
  lblTipText_->setWordWrap(true);
  lblTipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblTipText_->setMinimumSize(360, 90);
  auto* next = new QPushButton(QString("&Next Tip of %1").arg(TipsShown));
  next->setObjectName("cmdNextTip");
  auto* back = new QPushButton("Go &Back");
  back->setObjectName("Command1");
  auto* ok = new QPushButton("OK");
  ok->setObjectName("cmdOK");
  ok->setDefault(true);

  auto* text = new QVBoxLayout;
  text->addWidget(heading);
  text->addWidget(lblTipText_, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(next);
  buttons->addWidget(back);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(text, 1);
  layout->addLayout(buttons);

  connect(next, &QPushButton::clicked, this, &TipWindow::cmdNextTip_Click);
  connect(back, &QPushButton::clicked, this, &TipWindow::Command1_Click);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  tips_.Next();
  ShowTip();
}

void TipWindow::ShowTip() { lblTipText_->setText(QString::fromStdString(tips_.Text())); }

void TipWindow::cmdNextTip_Click() {
  tips_.Next();
  ShowTip();
}

void TipWindow::Command1_Click() {
  tips_.Back();
  ShowTip();
}

}  // namespace kesmora::gui
