#pragma once
// "Save as calendar…": the last run's hits as iCalendar events in a file the user chooses.
class QWidget;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class FileDialogs;

void SaveRunAsCalendar(QWidget* parent, FileDialogs& dialogs, Session& session, UserInterface& ui);

}  // namespace kesmora::gui
