#pragma once
// The atlas lookup window "ACS_Atlas": the block's city and state or country (selected, so that
// typing replaces them), a list of the places one of whose names begins with what is typed (most
// populous first; "Mumbai (Bombay)" for a place found by another name), and "Lookup", which takes
// the chosen place with the time zone in force at the block's date and time. Where that zone is
// another city's history (before 1970), the window says so and lets the user take standard
// time or the zone's answer.
#include "core/persons/atlas.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
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
  // stays open under the caption "THIS IS A DUPLICATE CITY". A zone answer that is another
  // city's history waits beside the list for the choice of standard time or the zone's answer.
  void cmdLookup_Click();
  // That choice.
  void cmdStandardTime_Click();
  void cmdZoneAnswer_Click();
  // What "Lookup" found; nothing when the window was closed without one.
  const std::optional<AtlasAnswer>& Result() const { return result_; }

 private:
  void BuildZoneChoice();
  void Take(const AtlasPlace& place, const ZoneInForce& zone);
  void HideChoice();

  const Atlas& atlas_;
  LocalMoment moment_;
  UserInterface& ui_;
  QLineEdit *txtCity_ = nullptr, *txtState_ = nullptr;
  QTreeWidget* lstPlaces_ = nullptr;
  QWidget* choice_ = nullptr;  // the note and the two answers
  QLabel* lblZoneNote_ = nullptr;
  QLabel* lblStatus_ = nullptr;  // no match, or more matches than shown
  QPushButton *cmdStandardTime_ = nullptr, *cmdZoneAnswer_ = nullptr;
  bool ambiguous_ = false, chosen_ = false;
  // The place and zone waiting for the choice.
  std::optional<size_t> pendingPlace_;
  ZoneInForce pendingZone_;
  std::optional<AtlasAnswer> result_;
};

}  // namespace kesmora::gui
