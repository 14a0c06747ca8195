#pragma once
// "Load .opt file" and "Save .opt file": the ticked planets and aspects kept in a file the
// user chooses; the dialog starts at the last one, kept in Kesmora.INI.
#include <optional>
#include <string>

class QWidget;

namespace kesmora {
struct Session;
class UserInterface;
}  // namespace kesmora

namespace kesmora::gui {

class FileDialogs;

// The settings-file dialog: 0 opens, anything else saves. On OK the chosen file and its
// folder become the current ones; nothing when the user cancels. Saving with `ui`, one of the
// program's own files is refused with a message, and `ui` asks before a file is replaced.
std::optional<std::string> Get_OPT_file_filename(QWidget* parent, FileDialogs& dialogs, Session& session,
                                                 int loadSave, UserInterface* ui = nullptr);

// Asks for a file and ticks the session's boxes from it. True when the boxes changed; a missing
// file does nothing, a short or unreadable one is refused with a message.
bool LoadSelectionFile(QWidget* parent, FileDialogs& dialogs, Session& session, UserInterface& ui);
// Asks for a file and writes the session's boxes into it, replacing it whole.
void SaveSelectionFile(QWidget* parent, FileDialogs& dialogs, Session& session, UserInterface& ui);

}  // namespace kesmora::gui
