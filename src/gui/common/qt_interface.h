#pragma once
// Message boxes and the busy cursor of the window program.
#include "core/app/user_interface.h"

class QWidget;

namespace kesmora::gui {

class QtInterface : public UserInterface {
 public:
  explicit QtInterface(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void ShowMessage(const Message& message) override;
  void SetBusy(bool busy) override;
  Answer Ask(const Question& question) override;

 private:
  QWidget* Parent() const;

  QWidget* parent_;
  int busyDepth_ = 0;
};

}  // namespace kesmora::gui
