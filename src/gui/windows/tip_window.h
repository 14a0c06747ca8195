#pragma once
// "Tip of the Day": the tips of TIPOFDAY.TXT one at a time.
#include "core/output/tips.h"

#include <QDialog>

#include <filesystem>

class QLabel;

namespace kesmora::gui {

class TipWindow : public QDialog {
  Q_OBJECT
 public:
  // Loads the tips and shows the first.
  TipWindow(const std::filesystem::path& programDir, QWidget* parent);

  void cmdNextTip_Click();
  void Command1_Click();  // "Go Back"
  const Tips& TipList() const { return tips_; }

 private:
  void ShowTip();

  Tips tips_;
  QLabel* lblTipText_ = nullptr;
};

}  // namespace kesmora::gui
