#include "gui/windows/tip_window.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/reference/text.h"
#include "core/settings/options_file.h"

#include <QCheckBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kesmora::gui {

TipWindow::TipWindow(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui), tips_(session.programDir) {
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

  chkShowTips_ = new QCheckBox("&Show tips at start");
  chkShowTips_->setObjectName("chkShowTips");
  chkShowTips_->setChecked(session_.optionValues[option::ShowTipAtStart] != 0);
  chkShowTips_->setToolTip("Option 13 of OPTIONS.OPT: this window opens when Kesmora starts.");

  auto* text = new QVBoxLayout;
  text->addWidget(heading);
  text->addWidget(lblTipText_, 1);
  text->addWidget(chkShowTips_);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(next);
  buttons->addWidget(back);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(text, 1);
  layout->addLayout(buttons);

  connect(next, &QPushButton::clicked, this, &TipWindow::cmdNextTip_Click);
  connect(back, &QPushButton::clicked, this, &TipWindow::GoBack_Click);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(chkShowTips_, &QCheckBox::clicked, this, &TipWindow::chkShowTips_Click);

  tips_.ContinueAfter(session_.settings.lastTip);
  tips_.Next();
  ShowTip();
}

void TipWindow::ShowTip() {
  lblTipText_->setText(QString::fromStdString(tips_.Text()));
  session_.settings.lastTip = tips_.Current();
}

void TipWindow::chkShowTips_Click() {
  const float value = chkShowTips_->isChecked() ? 1.0f : 0.0f;
  const auto file = FindIgnoringCase(session_.programDir, "OPTIONS.OPT");
  const auto text = ReadWholeFile(file);
  const auto changed = text ? WithOptionValue(*text, option::ShowTipAtStart, value) : std::nullopt;
  WriteResult written;
  if (changed) written = WriteFileAtomically(file, *changed);
  if (!changed || !written) {
    ui_.ShowMessage({MessageIcon::Warning, "Warning!",
                     changed ? WriteFailureText(file.string(), written)
                             : "Option 13 could not be set: " + file.string() + " has fewer than 13 option lines."});
    chkShowTips_->setChecked(session_.optionValues[option::ShowTipAtStart] != 0);
    return;
  }
  session_.optionValues[option::ShowTipAtStart] = value;
}

void TipWindow::cmdNextTip_Click() {
  tips_.Next();
  ShowTip();
}

void TipWindow::GoBack_Click() {
  tips_.Back();
  ShowTip();
}

}  // namespace kesmora::gui
