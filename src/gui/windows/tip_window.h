#pragma once
// "Tip of the Day": the tips of TIPOFDAY.TXT one at a time, going on from the tip shown last,
// and the switch that shows them at start (option 13 of OPTIONS.OPT).
#include "core/output/tips.h"

#include <QDialog>

class QCheckBox;
class QLabel;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class TipWindow : public QDialog {
  Q_OBJECT
 public:
  // Loads the tips and shows the one after the tip shown last.
  TipWindow(Session& session, UserInterface& ui, QWidget* parent);

  void cmdNextTip_Click();
  // "Go &Back" (the button Command1): the tip before the one shown.
  void GoBack_Click();
  // Writes the box's state into option 13 of OPTIONS.OPT and puts it in force.
  void chkShowTips_Click();
  const Tips& TipList() const { return tips_; }

 private:
  void ShowTip();

  Session& session_;
  UserInterface& ui_;
  Tips tips_;
  QLabel* lblTipText_ = nullptr;
  QCheckBox* chkShowTips_ = nullptr;
};

}  // namespace kesmora::gui
