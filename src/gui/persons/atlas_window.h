#pragma once
// The atlas lookup window "ACS_Atlas": the block's city and state or country, a list of the
// places whose name begins with what is typed (most populous first), and "Lookup", which takes
// the chosen place with the time zone in force at the block's date and time.
#include "core/persons/atlas.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QTreeWidget;

namespace kesmora {
class UserInterface;
}

namespace kesmora::gui {

class AtlasWindow : public QDialog {
  Q_OBJECT
 public:
  // `moment` is the block's clock time on the 24-hour clock.
  AtlasWindow(const Atlas& atlas, const PersonFields& block, const LocalMoment& moment, UserInterface& ui,
              QWidget* parent = nullptr);

  // Lists the places that match the two fields.
  void Search();
  // Takes the chosen place; with several places of the typed name and none chosen, the window
  // stays open under the caption "THIS IS A DUPLICATE CITY".
  void cmdLookup_Click();
  // What "Lookup" found; nothing when the window was closed without one.
  const std::optional<AtlasAnswer>& Result() const { return result_; }

 private:
  const Atlas& atlas_;
  LocalMoment moment_;
  UserInterface& ui_;
  QLineEdit *txtCity_ = nullptr, *txtState_ = nullptr;
  QTreeWidget* lstPlaces_ = nullptr;
  bool ambiguous_ = false, chosen_ = false;
  std::optional<AtlasAnswer> result_;
};

}  // namespace kesmora::gui
